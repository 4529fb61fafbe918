#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codec/clsCompress.h"

namespace pagora {

// Table-driven decoder of an HE3 data section. Its output is exactly that of walking the code
// tree one bit at a time: a byte is produced whenever the walk reaches a node that carries a
// value, decoding stops when the output is complete, when the data runs out (a partial code
// produces nothing) or when a bit leads to a missing node.
class HuffmanTable {
public:
    // The decoder may write this many bytes past the last produced byte.
    static constexpr size_t kOutputSlack = 4;

    // `expectedOutput` sizes the lookup tables: small members get small, cheap tables.
    HuffmanTable(const clsCompress::NodePool& nodes, int64_t expectedOutput);

    // Decodes `size` bytes of data bits into at most `capacity` bytes; returns the count.
    size_t Decode(const uint8_t* data, size_t size, uint8_t* out, size_t capacity) const;

private:
    enum Kind : uint32_t { kSymbol = 0, kDead = 1, kLong = 2 };

    void Fill(int node, unsigned depth, uint32_t path);
    void BuildMulti();
    // Decodes one byte starting at bit `pos`; returns false when decoding must stop.
    bool DecodeOne(const uint8_t* data, size_t size, uint64_t& pos, uint8_t& value) const;

    const clsCompress::NodePool& nodes_;
    unsigned bits_;
    uint32_t mask_;
    // Single-step entries: value (8 bits), bits used (8), kind (2), node for kLong (10).
    std::vector<uint32_t> single_;
    // Up to three values per lookup: values in bits 0-23, count in 24-25, bits used in 26-31.
    std::vector<uint32_t> multi_;
};

}  // namespace pagora

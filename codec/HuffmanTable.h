#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "codec/NodePool.h"

namespace pagora {

// Table-driven decoder of an HE3 data section. Its output is exactly that of walking the code
// tree one bit at a time: a byte is produced whenever the walk reaches a node that carries a
// value, decoding stops when the output is complete, when the data runs out (a partial code
// produces nothing) or when a bit leads to a missing node.
//
// The tables come either straight from the codes, when they form a complete prefix code (every
// stream the encoder writes does, and then the tree walk is plain prefix decoding), or else from
// the code tree itself, which covers every quirk a damaged table can give the tree.
class HuffmanTable {
  public:
    // The decoder may write this many bytes past the last produced byte.
    static constexpr size_t kOutputSlack = 4;

    // `expectedOutput` sizes the lookup tables: small members get small, cheap tables.
    explicit HuffmanTable(int64_t expectedOutput);

    // Builds the tables from the code lengths (indexed by value) and the code bits that start at
    // bit `bitPos` of `stream`, which must hold all of them. Returns false, having built nothing
    // usable, when the codes are not a complete prefix code of short enough codes.
    bool BuildFromCodes(const std::array<uint8_t, 256>& lengths, const uint8_t* stream, size_t size,
                        uint64_t bitPos);
    // Builds the tables from the code tree, which must outlive this object.
    void BuildFromTree(const NodePool& nodes);

    // Decodes `size` bytes of data bits into at most `capacity` bytes; returns the count.
    size_t Decode(const uint8_t* data, size_t size, uint8_t* out, size_t capacity) const;

  private:
    static constexpr unsigned kMinBits = 8;
    static constexpr unsigned kMaxBits = 12;
    static constexpr unsigned kMaxSubBits = 8;
    static constexpr size_t kSubSize = 4096;
    // Single-step entries: value (8 bits), length (8), kind (2), payload (14). kDead: a bit
    // leads to a missing node; kLong: the code goes on below tree node `payload`; kSub: the code
    // goes on in the sub-table at `payload`, indexed by the next `length` bits.
    enum Kind : uint32_t { kSymbol = 0, kDead = 1, kLong = 2, kSub = 3 };
    // Lookup entries hold up to three values: bits used (bits 0-5), count (6-7), values (8-31),
    // then the end of the first value's code (32-35) and of the second's (36-39, 15 if none).
    // With a count of 0 the high half holds the single-step entry instead.
    static constexpr uint64_t kEmpty = UINT64_MAX;

    void Fill(int node, unsigned depth, uint32_t path);
    // `lengthsPresent` has bit l set when a code of length l (up to bits_) fills the table.
    void ChainValues(uint32_t lengthsPresent);
    // What the second decoding chain produced: its bit position and output count at the start
    // of each round of lookups, its output, and where it stopped.
    struct Split {
        const uint64_t* pos = nullptr;
        const uint32_t* out = nullptr;
        size_t count = 0;
        const uint8_t* values = nullptr;
        uint64_t end = 0;
        size_t produced = 0;
    };

    struct Cursor;
    template <unsigned K>
    bool Step(Cursor& c, uint8_t*& o) const;
    template <unsigned K>
    bool TwoChainStep(Cursor& c, uint8_t*& o, const uint8_t* last) const;
    template <unsigned K>
    size_t DecodeWith(const uint8_t* data, size_t size, uint8_t* out, size_t capacity) const;
    template <unsigned K>
    size_t DecodeFrom(const uint8_t* data, size_t size, uint8_t* out, size_t capacity, uint64_t pos,
                      size_t produced, const Split* split) const;
    // Decodes one byte starting at bit `pos`; returns false when decoding must stop.
    bool DecodeOne(const uint8_t* data, size_t size, uint64_t& pos, uint8_t& value) const;

    const NodePool* nodes_ = nullptr;
    unsigned bits_;
    uint32_t mask_;
    // Only the first 2^bits_ entries are built.
    std::array<uint64_t, size_t{1} << kMaxBits> table_;
    std::array<uint32_t, kSubSize> sub_;
};

}  // namespace pagora

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pagora {

// One node of a Huffman tree; nodes refer to each other by index into a fixed pool.
struct HuffmanNode {
    int16_t ParentNode = -1;
    int16_t OneNode = -1;
    int16_t ZeroNode = -1;
    int16_t Value = -1;  // the byte value of a leaf, -1 for an inner node
    int32_t Weight = 0;  // encoder only: occurrences of a leaf's value, or the children's sum
};

// A tree over 256 values needs at most 511 nodes.
inline constexpr size_t kNodePoolSize = 512;
using NodePool = std::array<HuffmanNode, kNodePoolSize>;

// One byte value's code: BitCount bits, one element (0 or 1) per bit, root side first.
struct BitSequence {
    uint8_t BitCount = 0;
    std::vector<uint8_t> Bits;
};

// Each byte value's code, indexed by value.
using CodeTable = std::array<BitSequence, 256>;

}  // namespace pagora

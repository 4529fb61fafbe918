#include "codec/HuffmanTable.h"

#include <cstring>

namespace pagora {

namespace {

// At least 57 bits from bit `pos` on; bits past the end of the data read as 0.
uint64_t Peek(const uint8_t* data, size_t size, uint64_t pos) {
    const size_t byte = static_cast<size_t>(pos >> 3);
    uint64_t word = 0;
    if (byte + 8 <= size) {
        std::memcpy(&word, data + byte, 8);
    } else {
        for (size_t k = 0; byte + k < size && k < 8; ++k) {
            word |= uint64_t{data[byte + k]} << (8 * k);
        }
    }
    return word >> (pos & 7);
}

// Small members are dominated by table set-up, large ones by the lookups.
unsigned TableBits(int64_t expectedOutput) {
    if (expectedOutput >= 32 * 1024) {
        return 11;
    }
    if (expectedOutput >= 512) {
        return 10;
    }
    return 8;
}

}  // namespace

HuffmanTable::HuffmanTable(const clsCompress::NodePool& nodes, int64_t expectedOutput)
    : nodes_(nodes), bits_(TableBits(expectedOutput)), mask_((1u << bits_) - 1) {
    single_.resize(size_t{1} << bits_);
    Fill(0, 0, 0);
    BuildMulti();
}

void HuffmanTable::Fill(int node, unsigned depth, uint32_t path) {
    uint32_t entry = 0;
    if (depth > 0) {
        if (node == -1) {
            entry = kDead << 16 | depth << 8;
        } else if (nodes_[node].Value >= 0) {
            entry = kSymbol << 16 | depth << 8 | static_cast<uint32_t>(nodes_[node].Value);
        } else if (depth == bits_) {
            single_[path] = kLong << 16 | depth << 8 | static_cast<uint32_t>(node) << 18;
            return;
        } else {
            entry = UINT32_MAX;  // inner node: descend
        }
        if (entry != UINT32_MAX) {
            for (uint32_t j = path; j <= mask_; j += 1u << depth) {
                single_[j] = entry;
            }
            return;
        }
    }
    Fill(nodes_[node].ZeroNode, depth + 1, path);
    Fill(nodes_[node].OneNode, depth + 1, path | 1u << depth);
}

void HuffmanTable::BuildMulti() {
    multi_.resize(single_.size());
    for (uint32_t i = 0; i <= mask_; ++i) {
        uint32_t values = 0;
        uint32_t count = 0;
        uint32_t used = 0;
        while (count < 3) {
            const uint32_t e = single_[i >> used];
            const uint32_t len = (e >> 8) & 0xFF;
            if (((e >> 16) & 3) != kSymbol || used + len > bits_) {
                break;
            }
            values |= (e & 0xFF) << (8 * count);
            used += len;
            ++count;
        }
        multi_[i] = values | count << 24 | used << 26;
    }
}

bool HuffmanTable::DecodeOne(const uint8_t* data, size_t size, uint64_t& pos,
                             uint8_t& value) const {
    const uint64_t totalBits = uint64_t{size} * 8;
    if (pos >= totalBits) {
        return false;
    }
    const uint32_t e = single_[Peek(data, size, pos) & mask_];
    const uint32_t len = (e >> 8) & 0xFF;
    switch ((e >> 16) & 3) {
        case kSymbol:
            if (pos + len > totalBits) {
                return false;  // the data ends inside this code
            }
            pos += len;
            value = static_cast<uint8_t>(e);
            return true;
        case kLong:
            break;
        default:
            return false;  // a bit leads to a missing node
    }
    if (pos + bits_ > totalBits) {
        return false;
    }
    pos += bits_;
    int node = static_cast<int>(e >> 18);
    while (pos < totalBits) {
        const bool one = (data[pos >> 3] >> (pos & 7)) & 1;
        ++pos;
        node = one ? nodes_[node].OneNode : nodes_[node].ZeroNode;
        if (node == -1) {
            return false;
        }
        if (nodes_[node].Value >= 0) {
            value = static_cast<uint8_t>(nodes_[node].Value);
            return true;
        }
    }
    return false;
}

size_t HuffmanTable::Decode(const uint8_t* data, size_t size, uint8_t* out,
                            size_t capacity) const {
    size_t produced = 0;
    uint64_t pos = 0;
    // Fast path: with eight readable bytes there are at least 57 bits in hand, enough for two
    // lookups of up to three values each.
    while (capacity - produced >= 6 && (pos >> 3) + 8 <= size) {
        uint64_t word;
        std::memcpy(&word, data + (pos >> 3), 8);
        word >>= pos & 7;
        const uint32_t first = multi_[word & mask_];
        const uint32_t n1 = (first >> 24) & 3;
        if (n1 == 0) {
            uint8_t value;
            if (!DecodeOne(data, size, pos, value)) {
                return produced;
            }
            out[produced++] = value;
            continue;
        }
        std::memcpy(out + produced, &first, 4);
        produced += n1;
        pos += first >> 26;
        word >>= first >> 26;
        const uint32_t second = multi_[word & mask_];
        const uint32_t n2 = (second >> 24) & 3;
        if (n2 != 0) {
            std::memcpy(out + produced, &second, 4);
            produced += n2;
            pos += second >> 26;
        }
    }
    while (produced < capacity) {
        uint8_t value;
        if (!DecodeOne(data, size, pos, value)) {
            break;
        }
        out[produced++] = value;
    }
    return produced;
}

}  // namespace pagora

#pragma once
// A deliberately plain HE3 decoder, written straight from the stream layout, that walks the code
// tree bit by bit; tests and fuzzers hold the table-driven decoder to it (TreeWalkDisagreement).

#include <cstdint>
#include <string>
#include <vector>

#include "codec/clsCompress.h"

namespace pagora::testing {

struct TreeWalkResult {
    bool identificationError = false;
    bool tooShort = false;
    std::vector<uint8_t> bytes;  // the array after the call
    bool checksumMismatch = false;
    bool huffmanForm = false;
    size_t produced = 0;        // bytes decoded from a Huffman-form stream
    bool complete = false;      // as many as its length field says
    bool endsWithData = false;  // the last code ends in the last byte, whose other bits are 0
};

inline TreeWalkResult TreeWalkDecode(const std::vector<uint8_t>& s) {
    TreeWalkResult r;
    r.bytes = s;
    const int64_t n = static_cast<int64_t>(s.size());
    if (n < 4) {
        r.tooShort = true;
        return r;
    }
    if (s[0] == 'H' && s[1] == 'E' && s[3] == 0x0D) {
        if (s[2] == '0') {
            r.bytes.assign(s.begin() + 4, s.end());
            return r;
        }
        if (s[2] != '3') {
            r.identificationError = true;
            return r;
        }
    }
    r.huffmanForm = true;
    if (n < 9) {
        return r;
    }
    const int32_t length = static_cast<int32_t>(uint32_t{s[5]} | uint32_t{s[6]} << 8 |
                                                uint32_t{s[7]} << 16 | uint32_t{s[8]} << 24);
    if (length <= 0) {
        return r;
    }
    const int32_t count = n >= 11 ? static_cast<int16_t>(uint16_t(s[9] | s[10] << 8)) : 0;
    int lengths[256] = {};
    for (int32_t k = 0; k < count; ++k) {
        int64_t off = 11 + 2 * int64_t{k};
        if (off + 1 >= n) {
            break;
        }
        lengths[s[off]] = s[off + 1];
    }
    int64_t bit = (11 + 2 * int64_t{count > 0 ? count : 0}) * 8;
    auto bitAt = [&](int64_t b) { return (b >> 3) < n ? (s[b >> 3] >> (b & 7)) & 1 : 0; };

    // Tree: node id -> {child0, child1, value}; node 0 is the root. At most 512 nodes.
    struct Node {
        int child[2] = {-1, -1};
        int value = -1;
    };
    std::vector<Node> tree(1);
    for (int v = 0; v < 256; ++v) {
        int cur = 0;  // -1 once the pool has no room left for this code
        for (int j = 0; j < lengths[v]; ++j) {
            const int b = bitAt(bit++);
            if (cur >= 0 && tree[cur].child[b] == -1 && tree.size() < 512) {
                tree[cur].child[b] = static_cast<int>(tree.size());
                tree.emplace_back();
            }
            cur = cur >= 0 ? tree[cur].child[b] : -1;
        }
        if (lengths[v] > 0 && cur >= 0) {
            tree[cur].value = v;
        }
    }
    const int64_t dataStart = (bit + 7) / 8;
    std::vector<uint8_t> out;
    int cur = 0;
    int64_t end = dataStart * 8;  // the bit after the last code that gave a value
    for (int64_t b = dataStart * 8; b < n * 8 && static_cast<int64_t>(out.size()) < length; ++b) {
        cur = tree[cur].child[bitAt(b)];
        if (cur == -1) {
            break;
        }
        if (tree[cur].value >= 0) {
            out.push_back(static_cast<uint8_t>(tree[cur].value));
            cur = 0;
            end = b + 1;
        }
    }
    r.endsWithData = (end + 7) / 8 == n && (end % 8 == 0 || (s[n - 1] >> (end % 8)) == 0);
    uint8_t sum = 0;
    for (uint8_t b : out) {
        sum ^= b;
    }
    if (dataStart < n) {
        r.checksumMismatch = sum != s[4];
    }
    r.produced = out.size();
    r.complete = static_cast<int64_t>(out.size()) == length;
    if (!out.empty()) {
        r.bytes = out;
    }
    return r;
}

// How the production decoder differs from the walk on `stream`, or "" when it agrees. DecodeByte
// gives the walk's bytes and checksum condition, or fails, leaving the array, exactly where the
// walk finds no stream. DecodeStream gives the same bytes and report, or refuses, saying why,
// exactly the Huffman-form streams from which the walk decodes nothing (empty data aside).
inline std::string TreeWalkDisagreement(const std::vector<uint8_t>& stream) {
    const TreeWalkResult walk = TreeWalkDecode(stream);
    clsCompress codec;
    std::vector<uint8_t> out = stream;
    try {
        codec.DecodeByte(out, static_cast<int32_t>(out.size()));
    } catch (const Error& e) {
        const bool expected = e.Number() == errnum::kSubscriptOutOfRange
                                  ? walk.tooShort
                                  : walk.identificationError &&
                                        e.Number() == errnum::kComponentError &&
                                        e.Source() == "HuffmanDecode()";
        return !expected       ? "DecodeByte failed: " + e.Description()
               : out != stream ? "a failed DecodeByte changed the array"
                               : "";
    }
    if (walk.identificationError || walk.tooShort) {
        return "DecodeByte took what the walk refused";
    }
    if (out != walk.bytes) {
        return "DecodeByte gave other bytes";
    }
    const bool mismatch = codec.ChecksumError().has_value();
    if (mismatch != walk.checksumMismatch) {
        return "the checksum conditions differ";
    }
    std::vector<uint8_t> whole = stream;
    const bool emptyData = walk.huffmanForm && stream.size() == 4;
    const bool nothing = walk.huffmanForm && walk.produced == 0 && !emptyData;
    try {
        const DecodeReport report = codec.DecodeStream(whole);
        const bool whatever = !walk.huffmanForm || emptyData;
        if (nothing || whole != (emptyData ? std::vector<uint8_t>{} : walk.bytes) ||
            report.complete != (whatever || walk.complete) ||
            report.endsWithData != (whatever || walk.endsWithData) ||
            report.checksumMatches != (whatever || !mismatch)) {
            return "DecodeStream took what the walk did not decode, or reported it otherwise";
        }
    } catch (const Error& e) {
        if (!nothing || whole != stream || e.Number() != errnum::kComponentError ||
            e.Description().rfind("The data is not an HE3 stream: ", 0) != 0) {
            return "DecodeStream refused a stream wrongly: " + e.Description();
        }
    }
    return "";
}

}  // namespace pagora::testing

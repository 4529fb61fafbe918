#include "codec/HuffmanTable.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

namespace pagora {

namespace {

uint64_t Load64(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, 8);  // little-endian hosts only, checked in CMake
    return word;
}

// At least 57 bits from bit `pos` on; bits past the end of the data read as 0.
uint64_t Peek(const uint8_t* data, size_t size, uint64_t pos) {
    const size_t byte = static_cast<size_t>(pos >> 3);
    uint64_t word = 0;
    if (byte + 8 <= size) {
        word = Load64(data + byte);
    } else {
        for (size_t k = 0; byte + k < size && k < 8; ++k) {
            word |= uint64_t{data[byte + k]} << (8 * k);
        }
    }
    return word >> (pos & 7);
}

// Building a table costs in proportion to its entries, decoding gets cheaper the more bits
// one lookup covers; these sizes balance the two for members of the given output size.
unsigned TableBits(int64_t expectedOutput) {
    if (expectedOutput < 8 * 1024) {
        return 8;
    }
    if (expectedOutput < 24 * 1024) {
        return 9;
    }
    if (expectedOutput < 64 * 1024) {
        return 10;
    }
    if (expectedOutput < 160 * 1024) {
        return 11;
    }
    return 12;
}

// Single-step entries, 32 bits: value (bits 0-7), length (8-15), kind (16-17), payload (18-31).
constexpr uint32_t Entry(uint32_t kind, uint32_t length, uint32_t value, uint32_t payload = 0) {
    return value | length << 8 | kind << 16 | payload << 18;
}
constexpr uint8_t ValueOf(uint32_t e) {
    return static_cast<uint8_t>(e);
}
constexpr uint32_t LengthOf(uint32_t e) {
    return e >> 8 & 0xFF;
}
constexpr uint32_t KindOf(uint32_t e) {
    return e >> 16 & 3;
}
constexpr uint32_t PayloadOf(uint32_t e) {
    return e >> 18;
}

// A lookup entry that decodes just `value`, whose code is `length` bits long.
constexpr uint64_t OneValue(uint32_t value, uint32_t length) {
    return length | 1u << 6 | value << 8 | uint64_t{length} << 32 | uint64_t{15} << 36;
}
// A lookup entry that sends the decoder to the single step `entry`. Its value byte, unused by a
// single step that is not a value, reads as the code ends 15 and 15: no value to chain.
constexpr uint64_t SingleStep(uint32_t entry) {
    return uint64_t{entry | 0xFF} << 32;
}
// Lookup entries, 64 bits: bits used (0-5), value count (6-7), the values (8-31, first value
// lowest), the end of the first value's code (32-35) and of the second's (36-39). With a count
// of 0 the high half holds a single-step entry instead.
constexpr uint32_t BitsUsed(uint64_t e) {
    return static_cast<uint32_t>(e & 63);
}
constexpr uint32_t CountOf(uint64_t e) {
    return e >> 6 & 3;
}
constexpr uint32_t ValuesOf(uint64_t e) {
    return static_cast<uint32_t>(e >> 8);
}
constexpr uint32_t FirstValue(uint64_t e) {
    return e >> 8 & 0xFF;
}
constexpr uint32_t FirstCodeEnd(uint64_t e) {
    return e >> 32 & 15;
}
constexpr uint32_t StepOf(uint64_t e) {
    return static_cast<uint32_t>(e >> 32);
}

}  // namespace

HuffmanTable::HuffmanTable(int64_t expectedOutput)
    : bits_(TableBits(expectedOutput)), mask_((1u << bits_) - 1) {}

bool HuffmanTable::BuildFromCodes(const std::array<uint8_t, 256>& lengths, const uint8_t* stream,
                                  size_t size, uint64_t bitPos) {
    struct LongCode {
        uint32_t code;
        uint8_t length;
        uint8_t value;
    };
    std::array<LongCode, 256> longCodes;
    size_t longCount = 0;

    // Codes that fit the main table fill every entry they are a prefix of. Overlaps (one code a
    // prefix of another) and a Kraft sum other than 1 rule the fast build out; without them
    // every entry ends up filled exactly once.
    std::memset(table_.data(), 0xFF, sizeof(uint64_t) << bits_);
    uint64_t kraft = 0;
    uint64_t overlap = 0;
    uint32_t lengthsPresent = 0;
    // The values that have a code, in ascending order, found without a branch per value.
    std::array<uint64_t, 4> present{};
    for (uint32_t at = 0; at < 256; at += 8) {
        uint64_t word;
        std::memcpy(&word, lengths.data() + at, 8);
        // The top bit of each byte that is not 0, then those eight bits gathered into one byte.
        constexpr uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
        const uint64_t top = (((word & low7) + low7) | word) & ~low7;
        present[at >> 6] |= ((top >> 7) * 0x0102040810204080ull >> 56) << (at & 63);
    }
    for (uint32_t word = 0; word < 4; ++word) {
        for (uint64_t bitsLeft = present[word]; bitsLeft != 0; bitsLeft &= bitsLeft - 1) {
            const uint32_t value = word * 64 + static_cast<uint32_t>(std::countr_zero(bitsLeft));
            const uint32_t length = lengths[value];
            if (length > 32) {
                return false;
            }
            const auto code =
                static_cast<uint32_t>(Peek(stream, size, bitPos) & ((uint64_t{1} << length) - 1));
            bitPos += length;
            kraft += uint64_t{1} << (32 - length);
            if (length > bits_) {
                longCodes[longCount++] = {code, static_cast<uint8_t>(length),
                                          static_cast<uint8_t>(value)};
                continue;
            }
            lengthsPresent |= 1u << length;
            const uint64_t entry = OneValue(value, length);
            for (uint32_t j = code; j <= mask_; j += 1u << length) {
                overlap |= table_[j] ^ kEmpty;
                table_[j] = entry;
            }
        }
    }
    if (overlap != 0 || kraft != uint64_t{1} << 32) {
        return false;
    }

    // Longer codes go into sub-tables, one per main-table entry that they share, sized by the
    // longest of them, and placed once all are known.
    constexpr uint32_t unplaced = 0x3FFF;
    for (size_t k = 0; k < longCount; ++k) {
        const LongCode& c = longCodes[k];
        uint64_t& slot = table_[c.code & mask_];
        const uint32_t subBits = c.length - bits_;
        if (slot == kEmpty) {
            slot = SingleStep(Entry(kSub, subBits, 0, unplaced));
        } else if (CountOf(slot) != 0) {
            return false;  // a shorter code is a prefix of this one
        } else if (LengthOf(StepOf(slot)) < subBits) {
            slot = SingleStep(Entry(kSub, subBits, 0, unplaced));
        }
    }
    size_t subUsed = 0;
    for (size_t k = 0; k < longCount; ++k) {
        uint64_t& slot = table_[longCodes[k].code & mask_];
        const uint32_t step = StepOf(slot);
        if (PayloadOf(step) != unplaced) {
            continue;
        }
        const uint32_t subBits = LengthOf(step);
        if (subBits > kMaxSubBits || subUsed + (size_t{1} << subBits) > kSubSize) {
            return false;
        }
        std::memset(sub_.data() + subUsed, 0xFF, sizeof(uint32_t) << subBits);
        slot = SingleStep(Entry(kSub, subBits, 0, static_cast<uint32_t>(subUsed)));
        subUsed += size_t{1} << subBits;
    }
    uint32_t subOverlap = 0;
    for (size_t k = 0; k < longCount; ++k) {
        const LongCode& c = longCodes[k];
        const uint32_t step = StepOf(table_[c.code & mask_]);
        uint32_t* sub = sub_.data() + PayloadOf(step);
        const uint32_t entry = Entry(kSymbol, c.length, c.value);
        const uint32_t stride = 1u << (c.length - bits_);
        for (uint32_t j = c.code >> bits_; j < 1u << LengthOf(step); j += stride) {
            subOverlap |= sub[j] ^ UINT32_MAX;
            sub[j] = entry;
        }
    }
    if (subOverlap != 0) {
        return false;
    }
    ChainValues(lengthsPresent);
    return true;
}

void HuffmanTable::BuildFromTree(const NodePool& nodes) {
    nodes_ = &nodes;
    Fill(0, 0, 0);
    ChainValues((2u << bits_) - 2);  // every length up to bits_
}

void HuffmanTable::Fill(int node, unsigned depth, uint32_t path) {
    const NodePool& nodes = *nodes_;
    uint64_t entry = 0;
    if (depth > 0) {
        if (node == -1) {
            entry = SingleStep(Entry(kDead, depth, 0));
        } else if (nodes[node].Value >= 0) {
            entry = OneValue(static_cast<uint32_t>(nodes[node].Value), depth);
        } else if (depth == bits_) {
            table_[path] = SingleStep(Entry(kLong, depth, 0, static_cast<uint32_t>(node)));
            return;
        } else {
            entry = kEmpty;  // inner node: descend
        }
        if (entry != kEmpty) {
            for (uint32_t j = path; j <= mask_; j += 1u << depth) {
                table_[j] = entry;
            }
            return;
        }
    }
    Fill(nodes[node].ZeroNode, depth + 1, path);
    Fill(nodes[node].OneNode, depth + 1, path | 1u << depth);
}

// Appends to each entry's first value up to two values decoded from the bits after its code.
// For a first code of length l those bits are the entry's index shifted down by l, a window of
// bits - l bits, so every entry whose first code has that length draws on the same 2^(bits - l)
// windows: these tails are worked out once per length present, from the single-value entries,
// before any entry changes. A window's high bits beyond the entry read as 0; only values whose
// codes end inside the window are taken, so those zeros never decide anything.
void HuffmanTable::ChainValues(uint32_t lengthsPresent) {
    uint64_t* t = table_.data();
    const uint32_t bits = bits_;
    std::array<uint64_t, size_t{1} << kMaxBits> tails;
    std::array<uint32_t, 16> tailsAt{};  // by code length, which the entries hold in 4 bits
    uint32_t used = 0;
    for (uint32_t length = 1; length <= bits; ++length) {
        if ((lengthsPresent >> length & 1) == 0) {
            continue;
        }
        tailsAt[length] = used;
        const uint32_t room = bits - length;
        for (uint32_t j = 0; j < 1u << room; ++j) {
            // A code's length is its end field; entries without a value read 15, more than any
            // room. Arithmetic rather than branches: which way these go is as good as random.
            const uint64_t first = t[j];
            const uint32_t l1 = FirstCodeEnd(first);
            const uint64_t second = t[j >> l1];
            const uint32_t l2 = FirstCodeEnd(second);
            const uint64_t take1 = l1 <= room;
            const uint64_t take2 = take1 & (l1 + l2 <= room);
            const uint64_t values =
                (FirstValue(first) & -take1) | ((uint64_t{FirstValue(second)} << 8) & -take2);
            const uint64_t secondEnd = take1 != 0 ? length + l1 : 15;
            tails[used + j] = (length + (l1 & -take1) + (l2 & -take2)) | (1 + take1 + take2) << 6 |
                              values << 16 | secondEnd << 36;
        }
        used += 1u << room;
    }
    // The entry keeps its first value and its code's length and takes the rest from its tail.
    constexpr uint64_t kept = 0xFF00 | uint64_t{15} << 32;
    for (uint32_t i = 0; i <= mask_; ++i) {
        const uint64_t e = t[i];
        if (CountOf(e) == 0) {
            continue;
        }
        const uint32_t length = FirstCodeEnd(e);
        t[i] = (e & kept) | tails[tailsAt[length] + (i >> length)];
    }
}

bool HuffmanTable::DecodeOne(const uint8_t* data, size_t size, uint64_t& pos,
                             uint8_t& value) const {
    const uint64_t totalBits = uint64_t{size} * 8;
    if (pos >= totalBits) {
        return false;
    }
    const uint64_t word = Peek(data, size, pos);
    const uint64_t lookup = table_[word & mask_];
    uint32_t e;
    if (CountOf(lookup) != 0) {
        e = Entry(kSymbol, FirstCodeEnd(lookup), FirstValue(lookup));
    } else {
        e = StepOf(lookup);
        if (KindOf(e) == kSub) {
            e = sub_[PayloadOf(e) + ((word >> bits_) & ((1u << LengthOf(e)) - 1))];
        }
    }
    const uint32_t len = LengthOf(e);
    switch (KindOf(e)) {
        case kSymbol:
            if (pos + len > totalBits) {
                return false;  // the data ends inside this code
            }
            pos += len;
            value = ValueOf(e);
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
    const NodePool& nodes = *nodes_;
    int node = static_cast<int>(PayloadOf(e));
    while (pos < totalBits) {
        const bool one = (data[pos >> 3] >> (pos & 7)) & 1;
        ++pos;
        node = one ? nodes[node].OneNode : nodes[node].ZeroNode;
        if (node == -1) {
            return false;
        }
        if (nodes[node].Value >= 0) {
            value = static_cast<uint8_t>(nodes[node].Value);
            return true;
        }
    }
    return false;
}

// A bit reader over the data section. `buffer` holds `have` bits that end at the byte
// boundary `next`; the bits above them, where present, are the true bits that follow.
struct HuffmanTable::Cursor {
    const uint8_t* next;
    uint64_t buffer;
    unsigned have;

    // Positions the reader at bit `pos`; needs eight readable bytes at byte pos / 8.
    Cursor(const uint8_t* data, uint64_t pos)
        : next(data + (pos >> 3) + 7),
          buffer(Load64(data + (pos >> 3)) >> (pos & 7)),
          have(56 - static_cast<unsigned>(pos & 7)) {}
    // Tops the buffer up to at least 56 bits; needs eight readable bytes at `next`.
    void Refill() {
        buffer |= Load64(next) << have;
        next += (63 - have) >> 3;
        have |= 56;
    }
    uint64_t Pos(const uint8_t* data) const {
        return static_cast<uint64_t>(next - data) * 8 - have;
    }
};

// One lookup at `c`: up to three values into `o`, or one value of a code that goes on in a
// sub-table. Returns false, consuming nothing, when the entry needs the single-step path.
template <unsigned K>
inline bool HuffmanTable::Step(Cursor& c, uint8_t*& o) const {
    constexpr uint32_t kMask = (1u << K) - 1;
    const uint64_t e = table_[c.buffer & kMask];
    if (CountOf(e) == 0) [[unlikely]] {
        const uint32_t s = StepOf(e);
        if (KindOf(s) == kSub && c.have >= K + LengthOf(s)) {
            const uint32_t t = sub_[PayloadOf(s) + ((c.buffer >> K) & ((1u << LengthOf(s)) - 1))];
            if (KindOf(t) == kSymbol) {
                *o++ = ValueOf(t);
                c.buffer >>= LengthOf(t);
                c.have -= LengthOf(t);
                return true;
            }
        }
        return false;
    }
    const uint32_t values = ValuesOf(e);
    std::memcpy(o, &values, 4);
    o += CountOf(e);
    c.buffer >>= BitsUsed(e);
    c.have -= BitsUsed(e);
    return true;
}

// Step for the two-chain loop, which skips the check for K bits before each lookup: it keeps
// at least K bits for every lookup left until the next refill by refilling straight after a
// sub-table code, which takes more than its share. Returns false when decoding must leave the
// loop, the cursor and output consistent (the last value may or may not have been produced).
template <unsigned K>
inline bool HuffmanTable::TwoChainStep(Cursor& c, uint8_t*& o, const uint8_t* last) const {
    constexpr uint32_t kMask = (1u << K) - 1;
    const uint64_t e = table_[c.buffer & kMask];
    if (CountOf(e) == 0) [[unlikely]] {
        const uint32_t s = StepOf(e);
        if (KindOf(s) != kSub || c.next > last) {
            return false;
        }
        c.Refill();  // the low bits stay as they are
        const uint32_t t = sub_[PayloadOf(s) + ((c.buffer >> K) & ((1u << LengthOf(s)) - 1))];
        if (KindOf(t) != kSymbol) {
            return false;
        }
        *o++ = ValueOf(t);
        c.buffer >>= LengthOf(t);
        c.have -= LengthOf(t);
        if (c.next > last) {
            return false;
        }
        c.Refill();
        return true;
    }
    const uint32_t values = ValuesOf(e);
    std::memcpy(o, &values, 4);
    o += CountOf(e);
    c.buffer >>= BitsUsed(e);
    c.have -= BitsUsed(e);
    return true;
}

template <unsigned K>
size_t HuffmanTable::DecodeWith(const uint8_t* data, size_t size, uint8_t* out,
                                size_t capacity) const {
    constexpr unsigned kRounds = 56 / K;
    constexpr size_t kPerRefill = 3 * kRounds;
    size_t produced = 0;
    uint64_t pos = 0;

    // Members of moderate size are decoded from two places at once, since one lookup has to
    // wait for the previous one and two independent chains of lookups run nearly twice as
    // fast. The second chain starts at the middle of the data, where a code may or may not
    // begin; Huffman codes resynchronise quickly, and as soon as the first chain starts a
    // lookup exactly where the second one did, everything the second decoded from there on
    // is what the first would decode, so it is taken over. Until then the first chain goes on
    // alone, so the output never depends on the guess.
    Split split;
    std::unique_ptr<uint64_t[]> scratch;
    const bool useSplit = capacity >= 1024 && capacity <= (size_t{1} << 18) && size >= 64;
    if (useSplit) {
        // The second chain's output, then its bit position and output count at the start of
        // each round of lookups (a round yields several values; should the records run out,
        // the chains just part earlier). Left uninitialised: only what gets written is read.
        const size_t records = capacity / 4 + 16;
        const size_t words = (capacity + kOutputSlack + 7) / 8 + records + (records + 1) / 2;
        scratch.reset(new uint64_t[words]);
        auto* recPos = scratch.get();
        auto* recOut = reinterpret_cast<uint32_t*>(recPos + records);
        auto* second = reinterpret_cast<uint8_t*>(recPos + records + (records + 1) / 2);
        const uint64_t start = (size / 2) * 8;
        const uint8_t* const last = data + size - 8;
        Cursor a(data, 0);
        Cursor b(data, start);
        uint8_t* oa = out;
        uint8_t* ob = second;
        uint8_t* const aLimit = out + capacity - kPerRefill;
        uint8_t* const bLimit = second + capacity - kPerRefill;
        size_t n = 0;
        bool ok = true;
        while (ok && a.next <= last && b.next <= last && oa <= aLimit && ob <= bLimit &&
               n < records && a.Pos(data) + 64 < start) {
            a.Refill();
            b.Refill();
            // Where the second chain starts each round; once the chains agree, the first one
            // soon starts a lookup at one of these.
            recPos[n] = b.Pos(data);
            recOut[n] = static_cast<uint32_t>(ob - second);
            ++n;
            // A refill leaves at least 56 bits, K for each round.
            for (unsigned r = 0; r < kRounds; ++r) {
                if (!TwoChainStep<K>(a, oa, last) || !TwoChainStep<K>(b, ob, last)) {
                    ok = false;
                    break;
                }
            }
        }
        produced = static_cast<size_t>(oa - out);
        pos = a.Pos(data);
        split = {recPos, recOut, n, second, b.Pos(data), static_cast<size_t>(ob - second)};
    }
    return DecodeFrom<K>(data, size, out, capacity, pos, produced, useSplit ? &split : nullptr);
}

template <unsigned K>
size_t HuffmanTable::DecodeFrom(const uint8_t* data, size_t size, uint8_t* out, size_t capacity,
                                uint64_t pos, size_t produced, const Split* split) const {
    // Fast path. After a refill the buffer holds at least 56 bits, enough for `kRounds`
    // lookups of up to three values each. It only runs while eight bytes can be loaded at
    // `next` and the output has room for a whole refill's worth of values, so it never needs
    // to know where either ends.
    constexpr unsigned kRounds = 56 / K;
    constexpr size_t kPerRefill = 3 * kRounds;
    size_t j = 0;
    while (size >= 8 && capacity - produced >= kPerRefill) {
        const uint8_t* const last = data + size - 8;
        if (data + (pos >> 3) > last) {
            break;
        }
        Cursor c(data, pos);
        uint8_t* o = out + produced;
        uint8_t* const oLimit = out + capacity - kPerRefill;
        bool slow = false;
        bool met = false;
        while (c.next <= last) {
            c.Refill();
            for (unsigned r = 0; r < kRounds; ++r) {
                if (split != nullptr) {
                    const uint64_t here = c.Pos(data);
                    while (j < split->count && split->pos[j] < here) {
                        ++j;
                    }
                    if (j == split->count) {
                        split = nullptr;  // past the second chain's reach: no meeting now
                    } else if (split->pos[j] == here) {
                        met = true;
                        break;
                    }
                }
                const unsigned before = c.have;
                if (!Step<K>(c, o)) {
                    slow = true;
                    break;
                }
                if (before - c.have > K) {
                    break;  // a sub-table code took more than its share: refill first
                }
            }
            if (slow || met || o > oLimit) {
                break;
            }
        }
        produced = static_cast<size_t>(o - out);
        pos = c.Pos(data);
        if (met) {
            // Take over what the second chain decoded from here on, up to the output's end.
            const size_t from = split->out[j];
            const size_t take = std::min(split->produced - from, capacity - produced);
            std::memcpy(out + produced, split->values + from, take);
            produced += take;
            if (produced == capacity) {
                return produced;
            }
            pos = split->end;
            split = nullptr;
            continue;
        }
        if (!slow) {
            break;
        }
        // A long code or a missing node: one exact single step, then back to the fast path.
        if (produced == capacity) {
            return produced;
        }
        uint8_t value;
        if (!DecodeOne(data, size, pos, value)) {
            return produced;
        }
        out[produced++] = value;
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

size_t HuffmanTable::Decode(const uint8_t* data, size_t size, uint8_t* out, size_t capacity) const {
    switch (bits_) {
        case 8:
            return DecodeWith<8>(data, size, out, capacity);
        case 9:
            return DecodeWith<9>(data, size, out, capacity);
        case 10:
            return DecodeWith<10>(data, size, out, capacity);
        case 11:
            return DecodeWith<11>(data, size, out, capacity);
        default:
            return DecodeWith<12>(data, size, out, capacity);
    }
}

}  // namespace pagora

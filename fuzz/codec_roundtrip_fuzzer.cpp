// Encodes arbitrary data, decodes the stream again and requires the original data back, from
// both the production decoder and the plain bit-by-bit tree walk.
//
// The first input byte picks how the rest becomes the data: taken as it is, or read as
// (value, repeat) pairs, which reaches skewed distributions, deep codes and members large
// enough for the decoder's biggest tables with short inputs.

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "codec/clsCompress.h"
#include "tests/support/TreeWalkDecoder.h"

namespace {

constexpr size_t kMaxData = 1 << 18;

[[noreturn]] void Fail(const char* what, size_t size) {
    std::fprintf(stderr, "round trip failed (%s) for %zu bytes of data\n", what, size);
    std::abort();
}

std::vector<uint8_t> MakeData(const uint8_t* data, size_t size) {
    if (size == 0) {
        return {};
    }
    const uint8_t mode = data[0];
    ++data;
    --size;
    if ((mode & 1) == 0) {
        return std::vector<uint8_t>(data, data + size);
    }
    // Repeats are scaled by 1, 16 or 256 so that a handful of pairs can span several tables.
    const unsigned shift = ((mode >> 1) % 3) * 4;
    std::vector<uint8_t> out;
    for (size_t k = 0; k + 1 < size && out.size() < kMaxData; k += 2) {
        size_t repeat = (size_t{data[k + 1]} << shift) + 1;
        if (repeat > kMaxData - out.size()) {
            repeat = kMaxData - out.size();
        }
        out.insert(out.end(), repeat, data[k]);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> original = MakeData(data, size);
    pagora::clsCompress codec;

    std::vector<uint8_t> stream = original;
    codec.EncodeByte(stream, static_cast<int32_t>(stream.size()));

    const pagora::testing::TreeWalkResult walked = pagora::testing::TreeWalkDecode(stream);
    std::vector<uint8_t> decoded = stream;
    codec.DecodeByte(decoded, static_cast<int32_t>(decoded.size()));

    if (walked.identificationError || walked.tooShort) {
        Fail("tree walk rejected the stream", original.size());
    }
    if (decoded != walked.bytes) {
        Fail("decoder and tree walk disagree", original.size());
    }
    if (codec.ChecksumError().has_value() != walked.checksumMismatch) {
        Fail("checksum conditions disagree", original.size());
    }
    if (original.empty()) {
        // Empty data encodes to the bare identification, which decodes to itself.
        if (decoded != stream) {
            Fail("empty stream", 0);
        }
        return 0;
    }
    if (decoded != original) {
        Fail("decoded bytes differ from the data", original.size());
    }
    if (codec.ChecksumError().has_value()) {
        Fail("checksum condition on a sound stream", original.size());
    }
    return 0;
}

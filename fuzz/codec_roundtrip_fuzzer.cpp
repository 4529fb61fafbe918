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
    std::vector<uint8_t> stream = original;
    pagora::clsCompress().EncodeByte(stream, static_cast<int32_t>(stream.size()));

    if (const std::string disagreement = pagora::testing::TreeWalkDisagreement(stream);
        !disagreement.empty()) {
        Fail(disagreement.c_str(), original.size());
    }
    const pagora::testing::TreeWalkResult walked = pagora::testing::TreeWalkDecode(stream);
    // Empty data encodes to the bare identification, which decodes to itself.
    if (walked.bytes != (original.empty() ? stream : original) || walked.checksumMismatch) {
        Fail("the data did not come back whole", original.size());
    }
    return 0;
}

// Encodes arbitrary data, decodes the stream again and requires the original data back, from
// both the production decoder and the plain bit-by-bit tree walk. The first input byte picks
// how the rest becomes the data: as it is, or as (value, repeat) pairs, which reach skewed
// distributions, deep codes and members large enough for the decoder's biggest tables.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "codec/clsCompress.h"
#include "tests/support/TreeWalkDecoder.h"

namespace {

constexpr size_t kMaxData = 1 << 18;

std::vector<uint8_t> MakeData(const uint8_t* data, size_t size) {
    if (size == 0) {
        return {};
    }
    if ((data[0] & 1) == 0) {
        return std::vector<uint8_t>(data + 1, data + size);
    }
    // Repeats are scaled by 1, 16 or 256 so that a handful of pairs can span several tables.
    const unsigned shift = ((data[0] >> 1) % 3) * 4;
    std::vector<uint8_t> out;
    for (size_t k = 1; k + 1 < size && out.size() < kMaxData; k += 2) {
        out.insert(out.end(), std::min((size_t{data[k + 1]} << shift) + 1, kMaxData - out.size()),
                   data[k]);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> original = MakeData(data, size);
    std::vector<uint8_t> stream = original;
    pagora::clsCompress().EncodeByte(stream, static_cast<int32_t>(stream.size()));

    std::string fault = pagora::testing::TreeWalkDisagreement(stream);
    const pagora::testing::TreeWalkResult walked = pagora::testing::TreeWalkDecode(stream);
    // Empty data encodes to the bare identification, which decodes to itself.
    if (fault.empty() &&
        (walked.bytes != (original.empty() ? stream : original) || walked.checksumMismatch)) {
        fault = "the data did not come back whole";
    }
    if (!fault.empty()) {
        std::fprintf(stderr, "round trip failed (%s) for %zu bytes of data\n", fault.c_str(),
                     original.size());
        std::abort();
    }
    return 0;
}

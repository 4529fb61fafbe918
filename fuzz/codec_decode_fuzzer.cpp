// Decodes arbitrary bytes as an HE3 stream and requires the table-driven decoder to agree with
// the plain bit-by-bit tree walk: same bytes, same failure, same checksum condition; and
// DecodeStream to refuse exactly the Huffman-form streams from which the walk decodes nothing.

#include <cstdio>
#include <cstdlib>

#include "tests/support/TreeWalkDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string disagreement =
        pagora::testing::TreeWalkDisagreement(std::vector<uint8_t>(data, data + size));
    if (!disagreement.empty()) {
        std::fprintf(stderr, "decoder and tree walk disagree on a %zu-byte stream: %s\n", size,
                     disagreement.c_str());
        std::abort();
    }
    return 0;
}

// Decodes arbitrary bytes as an HE3 stream and requires the table-driven decoder to agree with
// the plain bit-by-bit tree walk: same bytes, same failure, same checksum condition; and
// DecodeStream to refuse exactly the Huffman-form streams from which the walk decodes nothing.

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "codec/clsCompress.h"
#include "tests/support/TreeWalkDecoder.h"

namespace {

[[noreturn]] void Mismatch(const char* what, size_t size) {
    std::fprintf(stderr, "decoder and tree walk disagree (%s) on a %zu-byte stream\n", what, size);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> stream(data, data + size);
    const pagora::testing::TreeWalkResult expected = pagora::testing::TreeWalkDecode(stream);

    std::vector<uint8_t> array = stream;
    pagora::clsCompress codec;
    bool identificationError = false;
    bool tooShort = false;
    try {
        codec.DecodeByte(array, static_cast<int32_t>(size));
    } catch (const pagora::Error& e) {
        if (e.Number() == pagora::errnum::kComponentError && e.Source() == "HuffmanDecode()") {
            identificationError = true;
        } else if (e.Number() == pagora::errnum::kSubscriptOutOfRange) {
            tooShort = true;
        } else {
            Mismatch("unexpected error", size);
        }
        if (array != stream) {
            Mismatch("a failed call changed the array", size);
        }
    }
    if (identificationError != expected.identificationError) {
        Mismatch("identification error", size);
    }
    if (tooShort != expected.tooShort) {
        Mismatch("too-short error", size);
    }
    if (array != expected.bytes) {
        Mismatch("decoded bytes", size);
    }
    if (codec.ChecksumError().has_value() != expected.checksumMismatch) {
        Mismatch("checksum condition", size);
    }
    if (identificationError || tooShort) {
        return 0;
    }
    const bool emptyData = expected.huffmanForm && size == 4;
    const bool nothing = expected.huffmanForm && expected.produced == 0 && !emptyData;
    std::vector<uint8_t> whole = stream;
    try {
        const pagora::DecodeReport report = codec.DecodeStream(whole);
        if (nothing || whole != (emptyData ? std::vector<uint8_t>{} : expected.bytes) ||
            report.complete != (!expected.huffmanForm || emptyData || expected.complete) ||
            report.endsWithData != (!expected.huffmanForm || emptyData || expected.endsWithData)) {
            Mismatch("DecodeStream took what the walk did not decode", size);
        }
    } catch (const pagora::Error&) {
        if (!nothing || whole != stream) {
            Mismatch("DecodeStream refused a stream that decodes", size);
        }
    }
    return 0;
}

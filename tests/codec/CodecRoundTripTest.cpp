// Whatever the encoder writes, the decoder reads back unchanged.
#include <gtest/gtest.h>

#include <random>

#include "codec/clsCompress.h"
#include "tests/support/QuranText.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TreeWalkDecoder.h"

namespace pagora {
namespace {

// A byte of one of five distributions: uniform, two values, geometric, very skewed, and
// Arabic-like UTF-16 (high bytes 0x06 after varied low bytes).
uint8_t Draw(int distribution, size_t at, std::mt19937& g) {
    switch (distribution) {
        case 0:
            return static_cast<uint8_t>(g());
        case 1:
            return static_cast<uint8_t>('a' + (g() & 1));
        case 2:
        case 3:
            return static_cast<uint8_t>(
                std::min(std::geometric_distribution<int>(distribution == 2 ? 0.3 : 0.85)(g), 255));
        default:
            return static_cast<uint8_t>(at % 2 ? 0x06 : 0x20 + g() % 0x50);
    }
}

// Encodes `input`; the decoder and the tree walk must both give it back, without a checksum error.
void ExpectRoundTrip(const std::vector<uint8_t>& input, const std::string& what) {
    std::vector<uint8_t> stream = input;
    clsCompress().EncodeByte(stream, static_cast<int32_t>(stream.size()));
    const testing::TreeWalkResult walk = testing::TreeWalkDecode(stream);
    ASSERT_EQ(testing::TreeWalkDisagreement(stream), "") << what;
    ASSERT_EQ(walk.bytes, input) << what;
    EXPECT_FALSE(walk.checksumMismatch) << what;
}

TEST(CodecRoundTrip, RandomInputsOfManySizesAndDistributions) {
    std::mt19937 gen(20261206);
    const std::vector<size_t> sizes = {1,   2,   3,   5,   7,    8,    9,    15,   16,    17,
                                       100, 511, 512, 513, 1023, 1024, 3000, 4096, 40000, 70000};
    for (int distribution = 0; distribution < 5; ++distribution) {
        for (size_t size : sizes) {
            std::vector<uint8_t> input(size);
            for (size_t k = 0; k < size; ++k) {
                input[k] = Draw(distribution, k, gen);
            }
            ExpectRoundTrip(input, std::to_string(distribution) + " size " + std::to_string(size));
        }
    }
}

TEST(CodecRoundTrip, SingleValueInputsUseTheStoredForm) {
    for (size_t size : {1u, 2u, 1000u}) {
        std::vector<uint8_t> stream(size, 0x42);
        clsCompress().EncodeByte(stream, static_cast<int32_t>(size));
        EXPECT_EQ(stream.size(), size + 4);
        EXPECT_EQ(stream[2], 0x30);
        ExpectRoundTrip(std::vector<uint8_t>(size, 0x42), "single value");
    }
}

// Weights that follow the Fibonacci numbers make the deepest possible trees, with codes longer
// than any lookup table and, for the largest, longer than a machine word.
std::vector<uint8_t> FibonacciInput(int values) {
    std::vector<uint8_t> input;
    uint64_t a = 1, b = 1;
    for (int v = 0; v < values; ++v) {
        input.insert(input.end(), a, static_cast<uint8_t>(v));
        uint64_t next = a + b;
        a = b;
        b = next;
    }
    std::shuffle(input.begin(), input.end(), std::mt19937(7));
    return input;
}

TEST(CodecRoundTrip, DeepTreesWithLongCodes) {
    ExpectRoundTrip(FibonacciInput(20), "codes up to 19 bits");
    ExpectRoundTrip(FibonacciInput(34), "codes up to 33 bits");
}

TEST(CodecRoundTrip, QuranTextInUtf16) {
    const std::vector<uint8_t> text = testing::QuranTextUtf16(PAGORA_NODE_MODULES);
    ASSERT_GT(text.size(), 1'000'000u);
    ExpectRoundTrip(text, "whole text");
    for (size_t start = 0; start + 3000 <= text.size(); start += 97 * 3000) {
        ExpectRoundTrip({text.begin() + start, text.begin() + start + 3000}, "3 KB slice");
    }
    std::vector<uint8_t> stream = text;
    clsCompress().EncodeByte(stream, static_cast<int32_t>(stream.size()));
    EXPECT_LT(stream.size(), text.size() / 2) << "Arabic UTF-16 should compress below half";
}

TEST(CodecRoundTrip, TextWrappersCarryEveryByteValueAndRefuseOthersUnchanged) {
    std::u16string text;
    for (int k = 0; k < 3 * 256; ++k) {
        text.push_back(static_cast<char16_t>(k % 256));
    }
    const std::u16string original = text + u"the end";
    text = original;
    clsCompress codec;
    codec.EncodeString(text);
    EXPECT_NE(text, original);
    codec.DecodeString(text, ::testing::TempDir() + "/decode_string_roundtrip.bin");
    EXPECT_EQ(text, original);

    text = u"abc\u0628";
    EXPECT_EQ(testing::CaughtError([&] { codec.EncodeString(text); }).Number(),
              errnum::kInvalidArgument);
    EXPECT_EQ(testing::CaughtError([&] {
                  codec.DecodeString(text, ::testing::TempDir() + "/never");
              }).Number(),
              errnum::kInvalidArgument);
    EXPECT_EQ(text, u"abc\u0628");
}

}  // namespace
}  // namespace pagora

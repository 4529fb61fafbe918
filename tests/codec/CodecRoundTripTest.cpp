// Whatever the encoder writes, the decoder reads back unchanged.
#include <gtest/gtest.h>

#include <random>

#include "codec/clsCompress.h"
#include "tests/support/QuranText.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TreeWalkDecoder.h"

namespace pagora {
namespace {

struct Distribution {
    const char* name;
    std::function<uint8_t(std::mt19937&)> draw;
};

std::vector<Distribution> Distributions() {
    return {
        {"uniform", [](std::mt19937& g) { return static_cast<uint8_t>(g()); }},
        {"two values", [](std::mt19937& g) { return static_cast<uint8_t>('a' + (g() & 1)); }},
        {"geometric",
         [](std::mt19937& g) {
             std::geometric_distribution<int> d(0.3);
             return static_cast<uint8_t>(std::min(d(g), 255));
         }},
        {"very skewed",
         [](std::mt19937& g) {
             std::geometric_distribution<int> d(0.85);
             return static_cast<uint8_t>(std::min(d(g), 255));
         }},
        {"utf16 arabic-like",
         [](std::mt19937& g) {
             static thread_local bool high = false;
             high = !high;
             return static_cast<uint8_t>(high ? 0x06 : 0x20 + g() % 0x50);
         }},
    };
}

void ExpectRoundTrip(const std::vector<uint8_t>& input, const std::string& what) {
    clsCompress codec;
    std::vector<uint8_t> stream = input;
    codec.EncodeByte(stream, static_cast<int32_t>(stream.size()));
    const testing::TreeWalkResult oracle = testing::TreeWalkDecode(stream);
    std::vector<uint8_t> decoded = stream;
    codec.DecodeByte(decoded, static_cast<int32_t>(decoded.size()));
    ASSERT_EQ(decoded, input) << what;
    EXPECT_FALSE(codec.ChecksumError().has_value()) << what;
    EXPECT_EQ(oracle.bytes, input) << what << ": the bit-by-bit walk disagrees";
}

TEST(CodecRoundTrip, RandomInputsOfManySizesAndDistributions) {
    std::mt19937 gen(20261206);
    const std::vector<size_t> sizes = {1,   2,   3,   5,   7,    8,    9,    15,   16,    17,
                                       100, 511, 512, 513, 1023, 1024, 3000, 4096, 40000, 70000};
    for (const Distribution& dist : Distributions()) {
        for (size_t size : sizes) {
            std::vector<uint8_t> input(size);
            for (auto& b : input) {
                b = dist.draw(gen);
            }
            ExpectRoundTrip(input, std::string(dist.name) + " size " + std::to_string(size));
        }
    }
}

TEST(CodecRoundTrip, SingleValueInputsUseTheStoredForm) {
    for (size_t size : {1u, 2u, 1000u}) {
        std::vector<uint8_t> input(size, 0x42);
        clsCompress codec;
        std::vector<uint8_t> stream = input;
        codec.EncodeByte(stream, static_cast<int32_t>(size));
        ASSERT_EQ(stream.size(), size + 4);
        EXPECT_EQ(stream[2], 0x30);
        ExpectRoundTrip(input, "single value");
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
    std::vector<uint8_t> text;
    try {
        text = testing::QuranTextUtf16(PAGORA_NODE_MODULES);
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
    ASSERT_GT(text.size(), 1'000'000u);
    ExpectRoundTrip(text, "whole text");
    for (size_t start = 0; start + 3000 <= text.size(); start += 97 * 3000) {
        ExpectRoundTrip({text.begin() + start, text.begin() + start + 3000}, "3 KB slice");
    }
    clsCompress codec;
    std::vector<uint8_t> stream = text;
    codec.EncodeByte(stream, static_cast<int32_t>(stream.size()));
    EXPECT_LT(stream.size(), text.size() / 2) << "Arabic UTF-16 should compress below half";
}

TEST(CodecRoundTrip, TextWrappersCarryEveryByteValue) {
    std::u16string text;
    for (int rep = 0; rep < 3; ++rep) {
        for (char16_t c = 0; c < 256; ++c) {
            text.push_back(c);
        }
    }
    text += u"the end";
    const std::u16string original = text;
    clsCompress codec;
    codec.EncodeString(text);
    EXPECT_NE(text, original);
    const std::string file = ::testing::TempDir() + "/decode_string_roundtrip.bin";
    codec.DecodeString(text, file);
    EXPECT_EQ(text, original);
}

TEST(CodecRoundTrip, TextAboveLatin1IsRefusedUnchanged) {
    clsCompress codec;
    std::u16string text = u"abc\u0628";
    EXPECT_EQ(testing::CaughtError([&] { codec.EncodeString(text); }).Number(),
              errnum::kInvalidArgument);
    EXPECT_EQ(text, u"abc\u0628");
    EXPECT_EQ(testing::CaughtError([&] {
                  codec.DecodeString(text, ::testing::TempDir() + "/never");
              }).Number(),
              errnum::kInvalidArgument);
    EXPECT_EQ(text, u"abc\u0628");
}

}  // namespace
}  // namespace pagora

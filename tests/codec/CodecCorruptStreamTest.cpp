// Streams that do not hold together: the decoder stays inside its buffers, never crashes, and
// gives exactly what walking the code tree bit by bit gives.
#include <gtest/gtest.h>

#include <random>

#include "codec/clsCompress.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TreeWalkDecoder.h"

namespace pagora {
namespace {

using testing::Bytes;
using testing::CaughtError;
using testing::Hex;

// Builds a Huffman-form stream from its parts.
std::vector<uint8_t> Stream(int32_t length, int16_t count, std::vector<uint8_t> tableAndBits,
                            uint8_t checksum = 0) {
    std::vector<uint8_t> s = Hex({0x4B, 0x58, 0x20, 0x0D, checksum});
    for (int k = 0; k < 4; ++k) {
        s.push_back(static_cast<uint8_t>(static_cast<uint32_t>(length) >> (8 * k)));
    }
    s.push_back(static_cast<uint8_t>(count));
    s.push_back(static_cast<uint8_t>(static_cast<uint16_t>(count) >> 8));
    s.insert(s.end(), tableAndBits.begin(), tableAndBits.end());
    return s;
}

// The array DecodeByte leaves, once both decode calls have been checked against the tree walk.
std::vector<uint8_t> DecodeChecked(const std::vector<uint8_t>& stream) {
    EXPECT_EQ(testing::TreeWalkDisagreement(stream), "");
    return testing::TreeWalkDecode(stream).bytes;
}

TEST(CodecCorruptStreams, NothingDecodableKeepsTheArray) {
    std::vector<std::vector<uint8_t>> kept = {
        // Length fields of zero or below.
        Stream(0, 1, Hex({0x61, 0x01, 0x00, 0x00})), Stream(-1, 1, Hex({0x61, 0x01, 0x00, 0x00})),
        Stream(INT32_MIN, 1, Hex({0x61, 0x01, 0x00, 0x00})),
        // A value count far beyond the stream or below zero, code bits running past the end.
        Stream(3, 30000, Hex({0x61, 0x02, 0x62, 0x02})), Stream(3, -5, Hex({0x61, 0x02})),
        Stream(3, 2, Hex({0x61, 0xFF, 0x62, 0xFF, 0x01})),
        // The very first data bit leads into no node.
        Stream(5, 1, Hex({0x61, 0x01, 0x00, 0x01}))};
    for (size_t size = 4; size <= 10; ++size) {  // headers cut short
        kept.push_back(Stream(3, 1, {}));
        kept.back().resize(size);
    }
    for (const std::vector<uint8_t>& s : kept) {
        EXPECT_EQ(DecodeChecked(s), s) << s.size() << " bytes";
    }
}

TEST(CodecCorruptStreams, OddTablesDecodeAsTheirTreeWalks) {
    // b has length 0 and so no code; a is coded 0, c is coded 1.
    EXPECT_EQ(DecodeChecked(Stream(4, 3, Hex({0x61, 0x01, 0x62, 0x00, 0x63, 0x01, 0x02, 0x0A}))),
              Bytes("acac"));
    // a is listed twice and its second length (2) holds: a = bits 1,0 and b = bit 1, a prefix
    // of a, so the walk stops at b every time.
    EXPECT_EQ(DecodeChecked(Stream(3, 3, Hex({0x61, 0x01, 0x62, 0x01, 0x61, 0x02, 0x05, 0x07}))),
              Bytes("bbb"));
    // Only a (code 0) exists: the data bits 0,1 give a, then step into nothing.
    const std::vector<uint8_t> s = Stream(5, 1, Hex({0x61, 0x01, 0x00, 0x02}), 0x61);
    EXPECT_EQ(DecodeChecked(s), Bytes("a"));
    EXPECT_FALSE(testing::TreeWalkDecode(s).checksumMismatch);
    // A huge length field is bounded by the data.
    EXPECT_EQ(
        DecodeChecked(Stream(INT32_MAX, 3, Hex({0x61, 0x02, 0x62, 0x02, 0x63, 0x01, 0x0D, 0x0D}))),
        Bytes("abcccc"));
}

TEST(CodecCorruptStreams, NodePoolExhaustionDropsTheCodesThatDoNotFit) {
    std::mt19937 gen(3);
    std::vector<uint8_t> body;
    for (int v = 0; v < 256; ++v) {
        body.push_back(static_cast<uint8_t>(v));
        body.push_back(200);
    }
    for (int k = 0; k < 256 * 200 / 8 + 64; ++k) {
        body.push_back(static_cast<uint8_t>(gen()));
    }
    DecodeChecked(Stream(1000, 256, body));
}

TEST(CodecCorruptStreams, DecodeStreamSaysWhyDataIsNoStream) {
    const std::pair<std::vector<uint8_t>, std::string> notStreams[] = {
        {Hex({0x4B, 0x58, 0x20, 0x0D, 0x00, 0x03, 0x00, 0x00, 0x00}), "its header is cut short"},
        {Stream(0, 1, Hex({0x61, 0x01, 0x00, 0x00})), "its length field is 0 or below"},
        {Stream(3, 2, Hex({0x61, 0x01, 0x62})), "its code table runs past its end"},
        {Stream(5, 1, Hex({0x61, 0x01, 0x00, 0x01})), "its data decodes to nothing"},
        {Bytes("Plain text is no HE3 stream."), "its code table runs past its end"},
    };
    for (const auto& [stream, why] : notStreams) {
        std::vector<uint8_t> copy = stream;
        const Error e = CaughtError([&] { clsCompress().DecodeStream(copy); });
        EXPECT_EQ(e.Source(), "clsCompress.DecodeStream()");
        EXPECT_EQ(e.Description(), "The data is not an HE3 stream: " + why);
        EXPECT_EQ(copy, stream);
    }
}

TEST(CodecCorruptStreams, RandomMutationsOfValidStreams) {
    std::mt19937 gen(11);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> data(1 + gen() % 600);
        const int spread = 1 + static_cast<int>(gen() % 40);
        for (auto& b : data) {
            b = static_cast<uint8_t>(gen() % spread);
        }
        clsCompress codec;
        codec.EncodeByte(data, static_cast<int32_t>(data.size()));
        const int edits = 1 + static_cast<int>(gen() % 4);
        for (int e = 0; e < edits; ++e) {
            switch (gen() % 3) {
                case 0:
                    if (!data.empty()) {
                        data[gen() % data.size()] = static_cast<uint8_t>(gen());
                    }
                    break;
                case 1:
                    data.resize(gen() % (data.size() + 1));
                    break;
                default:
                    data.push_back(static_cast<uint8_t>(gen()));
                    break;
            }
        }
        ASSERT_EQ(testing::TreeWalkDisagreement(data), "") << "round " << round;
    }
}

TEST(CodecCorruptStreams, RandomHeadersAndTables) {
    std::mt19937 gen(5);
    for (int round = 0; round < 3000; ++round) {
        const int16_t count = static_cast<int16_t>(gen() % 12);
        std::vector<uint8_t> body;
        for (int k = 0; k < count; ++k) {
            body.push_back(static_cast<uint8_t>(gen() % 16));
            body.push_back(static_cast<uint8_t>(gen() % 14));
        }
        for (int k = static_cast<int>(gen() % 200); k > 0; --k) {
            body.push_back(static_cast<uint8_t>(gen()));
        }
        ASSERT_EQ(testing::TreeWalkDisagreement(Stream(static_cast<int32_t>(gen() % 3000), count,
                                                       body, static_cast<uint8_t>(gen()))),
                  "")
            << "round " << round;
    }
}

}  // namespace
}  // namespace pagora

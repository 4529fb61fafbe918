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

// Decodes with the production decoder and checks it against the tree walk; DecodeStream must
// give the walk's bytes too, or refuse where the walk decoded nothing from a Huffman-form stream
// other than the four bytes of empty data.
std::vector<uint8_t> DecodeChecked(const std::vector<uint8_t>& stream, bool* checksum = nullptr) {
    const testing::TreeWalkResult oracle = testing::TreeWalkDecode(stream);
    clsCompress codec;
    std::vector<uint8_t> out = stream;
    try {
        codec.DecodeByte(out, static_cast<int32_t>(out.size()));
    } catch (const Error& e) {
        EXPECT_TRUE(oracle.identificationError || oracle.tooShort) << e.Description();
        EXPECT_EQ(out, stream) << "a failing call must leave the array";
        return out;
    }
    EXPECT_FALSE(oracle.identificationError || oracle.tooShort);
    EXPECT_EQ(out, oracle.bytes);
    const bool mismatch = codec.ChecksumError().has_value();
    EXPECT_EQ(mismatch, oracle.checksumMismatch);
    if (checksum) {
        *checksum = mismatch;
    }

    std::vector<uint8_t> whole = stream;
    const bool emptyData = oracle.huffmanForm && stream.size() == 4;
    if (oracle.huffmanForm && oracle.produced == 0 && !emptyData) {
        const Error e = CaughtError([&] { codec.DecodeStream(whole); });
        EXPECT_EQ(e.Number(), errnum::kComponentError);
        EXPECT_EQ(e.Description().rfind("The data is not an HE3 stream: ", 0), 0u)
            << e.Description();
        EXPECT_EQ(whole, stream);
    } else {
        const DecodeReport report = codec.DecodeStream(whole);
        EXPECT_EQ(whole, emptyData ? std::vector<uint8_t>{} : oracle.bytes);
        EXPECT_EQ(report.complete, !oracle.huffmanForm || emptyData || oracle.complete);
        EXPECT_EQ(report.endsWithData, !oracle.huffmanForm || emptyData || oracle.endsWithData);
        EXPECT_EQ(report.checksumMatches, !oracle.huffmanForm || emptyData || !mismatch);
    }
    return out;
}

TEST(CodecCorruptStreams, LengthZeroNegativeOrUnreadableKeepsTheArray) {
    for (int32_t length : {0, -1, INT32_MIN}) {
        std::vector<uint8_t> s = Stream(length, 1, Hex({0x61, 0x01, 0x00, 0x00}));
        EXPECT_EQ(DecodeChecked(s), s);
    }
    for (size_t size = 4; size <= 10; ++size) {
        std::vector<uint8_t> s = Stream(3, 1, {});
        s.resize(size);
        EXPECT_EQ(DecodeChecked(s), s) << size << " bytes";
    }
}

TEST(CodecCorruptStreams, TableEntriesOfLengthZeroAndDuplicates) {
    // b has length 0 and so no code; a is coded 0, c is coded 1.
    std::vector<uint8_t> s = Stream(4, 3, Hex({0x61, 0x01, 0x62, 0x00, 0x63, 0x01, 0x02, 0x0A}));
    EXPECT_EQ(DecodeChecked(s), Bytes("acac"));
    // a is listed twice; its second length (2) holds, so the code bits are 2 + 1 = 3.
    s = Stream(3, 3, Hex({0x61, 0x01, 0x62, 0x01, 0x61, 0x02, 0x05, 0x07}));
    // a = bits 1,0 ; b = bit 1 -> b is a prefix of a: the walk stops at b every time.
    EXPECT_EQ(DecodeChecked(s), Bytes("bbb"));
}

TEST(CodecCorruptStreams, PathIntoAMissingNodeEndsDecoding) {
    // Only a (code 0) exists: the data bits 0,1 give a, then step into nothing.
    bool mismatch = false;
    std::vector<uint8_t> s = Stream(5, 1, Hex({0x61, 0x01, 0x00, 0x02}), 0x61);
    EXPECT_EQ(DecodeChecked(s, &mismatch), Bytes("a"));
    EXPECT_FALSE(mismatch);
    // The very first bit leads nowhere: no byte, so the array is kept.
    s = Stream(5, 1, Hex({0x61, 0x01, 0x00, 0x01}));
    EXPECT_EQ(DecodeChecked(s), s);
}

TEST(CodecCorruptStreams, CountsAndLengthsRunningPastTheEnd) {
    // A value count far beyond the stream: no data section remains.
    std::vector<uint8_t> s = Stream(3, 30000, Hex({0x61, 0x02, 0x62, 0x02}));
    EXPECT_EQ(DecodeChecked(s), s);
    s = Stream(3, -5, Hex({0x61, 0x02}));
    EXPECT_EQ(DecodeChecked(s), s);
    // Code lengths whose bits run past the end.
    s = Stream(3, 2, Hex({0x61, 0xFF, 0x62, 0xFF, 0x01}));
    EXPECT_EQ(DecodeChecked(s), s);
}

TEST(CodecCorruptStreams, HugeLengthFieldIsBoundedByTheData) {
    std::vector<uint8_t> s =
        Stream(INT32_MAX, 3, Hex({0x61, 0x02, 0x62, 0x02, 0x63, 0x01, 0x0D, 0x0D}));
    ASSERT_EQ(s.size(), 19u);
    const std::vector<uint8_t> out = DecodeChecked(s);
    EXPECT_LE(out.size(), 8u);
    EXPECT_EQ(out, Bytes("abcccc"));
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
        DecodeChecked(data);
        if (HasFailure()) {
            FAIL() << "round " << round;
        }
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
        DecodeChecked(
            Stream(static_cast<int32_t>(gen() % 3000), count, body, static_cast<uint8_t>(gen())));
        if (HasFailure()) {
            FAIL() << "round " << round;
        }
    }
}

}  // namespace
}  // namespace pagora

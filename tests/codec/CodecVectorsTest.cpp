// Streams whose every byte is fixed by the format, in both directions.
#include <gtest/gtest.h>

#include <numeric>

#include "codec/clsCompress.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TreeWalkDecoder.h"

namespace pagora {
namespace {

using testing::Bytes;
using testing::CaughtError;
using testing::Hex;

const std::vector<uint8_t> kAbcStream =
    Hex({0x4B, 0x58, 0x20, 0x0D, 0x60, 0x03, 0x00, 0x00, 0x00, 0x03, 0x00, 0x61, 0x02, 0x62, 0x02,
         0x63, 0x01, 0x0D, 0x0D});
const std::vector<uint8_t> kAbracadabraStream =
    Hex({0x4B, 0x58, 0x20, 0x0D, 0x66, 0x0B, 0x00, 0x00, 0x00, 0x05, 0x00, 0x61, 0x01,
         0x62, 0x03, 0x63, 0x03, 0x64, 0x03, 0x72, 0x03, 0xBA, 0x07, 0x1A, 0x73, 0x0D});
const std::string kIdentificationError =
    "The data either was not compressed with HE3 or is corrupt (identification string not "
    "found)";

std::vector<uint8_t> Encoded(std::vector<uint8_t> data) {
    clsCompress codec;
    codec.EncodeByte(data, static_cast<int32_t>(data.size()));
    return data;
}

std::vector<uint8_t> Decoded(std::vector<uint8_t> stream, clsCompress* codec = nullptr) {
    clsCompress local;
    (codec ? *codec : local).DecodeByte(stream, static_cast<int32_t>(stream.size()));
    return stream;
}

TEST(CodecVectors, EncoderWritesTheDocumentedStreams) {
    EXPECT_EQ(Encoded({}), Hex({0x4B, 0x58, 0x20, 0x0D}));
    EXPECT_EQ(Encoded(Bytes("aaaa")), Hex({0x48, 0x45, 0x30, 0x0D, 0x61, 0x61, 0x61, 0x61}));
    EXPECT_EQ(Encoded(Bytes("ab")), Hex({0x4B, 0x58, 0x20, 0x0D, 0x03, 0x02, 0x00, 0x00, 0x00, 0x02,
                                         0x00, 0x61, 0x01, 0x62, 0x01, 0x02, 0x02}));
    EXPECT_EQ(Encoded(Bytes("aab")), Hex({0x4B, 0x58, 0x20, 0x0D, 0x62, 0x03, 0x00, 0x00, 0x00,
                                          0x02, 0x00, 0x61, 0x01, 0x62, 0x01, 0x02, 0x04}));
    EXPECT_EQ(Encoded(Bytes("abc")), kAbcStream);
    EXPECT_EQ(Encoded(Bytes("abracadabra")), kAbracadabraStream);
    std::vector<uint8_t> longer = Bytes("abcXYZ");  // only the leading ByteLen bytes count
    clsCompress().EncodeByte(longer, 3);
    EXPECT_EQ(longer, kAbcStream);
}

TEST(CodecVectors, AllByteValuesOnceGiveEightBitCodesInHuffmanForm) {
    std::vector<uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);
    const std::vector<uint8_t> stream = Encoded(all);
    ASSERT_EQ(stream.size(), 1035u);
    EXPECT_EQ(std::vector<uint8_t>(stream.begin(), stream.begin() + 4),
              Hex({0x4B, 0x58, 0x20, 0x0D}));
    EXPECT_EQ(stream[9] | stream[10] << 8, 256);
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(stream[11 + 2 * v], v);
        EXPECT_EQ(stream[12 + 2 * v], 8) << "value " << v;
    }
    EXPECT_EQ(Decoded(stream), all);
}

// kAbcStream with its identification changed to "HE" + `tag` + CR.
std::vector<uint8_t> Tagged(uint8_t tag) {
    std::vector<uint8_t> stream = kAbcStream;
    std::copy_n(Hex({0x48, 0x45, tag}).begin(), 3, stream.begin());
    return stream;
}

TEST(CodecVectors, DecoderReadsEveryForm) {
    EXPECT_EQ(Decoded(kAbcStream), Bytes("abc"));
    EXPECT_EQ(Decoded(Tagged(0x33)), Bytes("abc"));
    EXPECT_EQ(Decoded(kAbracadabraStream), Bytes("abracadabra"));
    EXPECT_EQ(Decoded(Hex({0x48, 0x45, 0x30, 0x0D, 0x61, 0x61, 0x61, 0x61})), Bytes("aaaa"));
    EXPECT_EQ(Decoded(Hex({0x48, 0x45, 0x30, 0x0D})), std::vector<uint8_t>{});
    // A zero length field stops the decoder before it produces anything: the array is kept.
    EXPECT_EQ(Decoded(Hex({0x4B, 0x58, 0x20, 0x0D})), Hex({0x4B, 0x58, 0x20, 0x0D}));
}

TEST(CodecVectors, UnknownHe3TagFailsAndLeavesTheArray) {
    std::vector<uint8_t> stream = Tagged(0x32);
    const Error e =
        CaughtError([&] { clsCompress().DecodeByte(stream, static_cast<int32_t>(stream.size())); });
    EXPECT_EQ(e.Number(), -2147221504);
    EXPECT_EQ(e.Source(), "HuffmanDecode()");
    EXPECT_EQ(e.Description(), kIdentificationError);
    EXPECT_EQ(stream, Tagged(0x32));
}

TEST(CodecVectors, FlawedStreamsStillDeliverTheirBytesAndSayWhatIsWrong) {
    std::vector<uint8_t> truncated(kAbracadabraStream.begin(), kAbracadabraStream.end() - 1);
    std::vector<uint8_t> wrongSum = kAbcStream;
    wrongSum[4] = 0x61;
    std::vector<uint8_t> longer = kAbracadabraStream;
    longer.insert(longer.end(), {0xFF, 0x00, 0x13, 0x37});
    std::vector<uint8_t> padded = kAbcStream;
    padded.back() |= 0x80;  // of the last byte only the low five bits are data
    const std::tuple<std::vector<uint8_t>, const char*, bool, std::string> cases[] = {
        {truncated, "abracada", true, "its data ends before its length"},
        {wrongSum, "abc", true, "checksum did not match expected value"},
        {longer, "abracadabra", false, "more follows its data"},
        {padded, "abc", false, "more follows its data"},
        {kAbcStream, "abc", false, ""}};
    for (const auto& [stream, bytes, checksumError, flaw] : cases) {
        clsCompress codec;
        EXPECT_EQ(Decoded(stream, &codec), Bytes(bytes));
        EXPECT_EQ(codec.ChecksumError().has_value(), checksumError) << flaw;
        std::vector<uint8_t> whole = stream;
        const char* said = codec.DecodeStream(whole).Flaw();
        EXPECT_EQ(whole, Bytes(bytes));
        EXPECT_EQ(said != nullptr ? said : "", flaw);
        EXPECT_EQ(testing::TreeWalkDisagreement(stream), "") << flaw;  // the report's flags too
    }
    // The checksum condition in full, belonging to the call that met it.
    clsCompress codec;
    Decoded(truncated, &codec);
    ASSERT_TRUE(codec.ChecksumError().has_value());
    EXPECT_EQ(codec.ChecksumError()->Number(), errnum::kComponentError);
    EXPECT_EQ(codec.ChecksumError()->Source(), "clsHuffman.Decode()");
    EXPECT_EQ(codec.ChecksumError()->Description(),
              "The data might be corrupted (checksum did not match expected value)");
    EXPECT_EQ(Decoded(kAbcStream, &codec), Bytes("abc"));
    EXPECT_FALSE(codec.ChecksumError().has_value());
}

TEST(CodecVectors, ShortOrOversizedArgumentsAreSubscriptErrors) {
    clsCompress codec;
    std::vector<uint8_t> two = Hex({0x4B, 0x58});
    EXPECT_EQ(CaughtError([&] { codec.DecodeByte(two, 2); }).Number(),
              errnum::kSubscriptOutOfRange);
    EXPECT_EQ(CaughtError([&] { codec.DecodeStream(two); }).Number(), errnum::kSubscriptOutOfRange);
    EXPECT_EQ(two, Hex({0x4B, 0x58}));

    std::vector<uint8_t> stream = kAbcStream;
    for (int32_t wrong : {20, -1}) {
        EXPECT_EQ(CaughtError([&] { codec.DecodeByte(stream, wrong); }).Number(),
                  errnum::kSubscriptOutOfRange);
    }
    EXPECT_EQ(stream, kAbcStream);

    std::vector<uint8_t> data = Bytes("abc");
    EXPECT_EQ(CaughtError([&] { codec.EncodeByte(data, 4); }).Number(),
              errnum::kSubscriptOutOfRange);
    EXPECT_EQ(data, Bytes("abc"));
}

}  // namespace
}  // namespace pagora

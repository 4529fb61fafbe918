// HE3 streams: the documented vectors byte for byte, round trips, and streams that do not hold
// together, which the decoder must read exactly as the tree walk does.
#include <functional>
#include <numeric>
#include <random>
#include <tuple>
#include <utility>

#include "codec/clsCompress.h"
#include "tests/support/QuranText.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TreeWalkDecoder.h"

namespace pagora {
namespace {

using testing::Bytes;
using testing::CaughtError;
using testing::Hex;
using testing::TreeWalkDecode;
using testing::TreeWalkDisagreement;

const std::vector<uint8_t> kAbcStream =
    Hex({0x4B, 0x58, 0x20, 0x0D, 0x60, 0x03, 0x00, 0x00, 0x00, 0x03, 0x00, 0x61, 0x02, 0x62, 0x02,
         0x63, 0x01, 0x0D, 0x0D});
const std::vector<uint8_t> kAbracadabraStream =
    Hex({0x4B, 0x58, 0x20, 0x0D, 0x66, 0x0B, 0x00, 0x00, 0x00, 0x05, 0x00, 0x61, 0x01,
         0x62, 0x03, 0x63, 0x03, 0x64, 0x03, 0x72, 0x03, 0xBA, 0x07, 0x1A, 0x73, 0x0D});

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
    std::vector<uint8_t> table =
        Hex({0x4B, 0x58, 0x20, 0x0D, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01});
    for (int v = 0; v < 256; ++v) {
        table.insert(table.end(), {static_cast<uint8_t>(v), 8});
    }
    EXPECT_EQ(std::vector<uint8_t>(stream.begin(), stream.begin() + 523), table);
    EXPECT_EQ(Decoded(stream), all);
}

// kAbcStream with its identification changed to "HE" + `tag` + CR.
std::vector<uint8_t> Tagged(uint8_t tag) {
    std::vector<uint8_t> stream = kAbcStream;
    std::copy_n(Hex({0x48, 0x45, tag}).begin(), 3, stream.begin());
    return stream;
}

TEST(CodecVectors, DecoderReadsEveryFormAndRefusesAnUnknownTag) {
    EXPECT_EQ(Decoded(kAbcStream), Bytes("abc"));
    EXPECT_EQ(Decoded(Tagged(0x33)), Bytes("abc"));
    EXPECT_EQ(Decoded(kAbracadabraStream), Bytes("abracadabra"));
    EXPECT_EQ(Decoded(Hex({0x48, 0x45, 0x30, 0x0D, 0x61, 0x61, 0x61, 0x61})), Bytes("aaaa"));
    EXPECT_EQ(Decoded(Hex({0x48, 0x45, 0x30, 0x0D})), std::vector<uint8_t>{});
    // A zero length field stops the decoder before it produces anything: the array is kept.
    EXPECT_EQ(Decoded(Hex({0x4B, 0x58, 0x20, 0x0D})), Hex({0x4B, 0x58, 0x20, 0x0D}));
    // An unknown tag fails, leaving the array as it was.
    const Error e = CaughtError([&] { Decoded(Tagged(0x32)); });
    EXPECT_EQ(std::tuple(e.Number(), e.Source(), e.Description()),
              std::tuple(-2147221504, "HuffmanDecode()",
                         "The data either was not compressed with HE3 or is corrupt "
                         "(identification string not found)"));
    EXPECT_EQ(TreeWalkDisagreement(Tagged(0x32)), "");
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
    clsCompress codec;  // one for all: the checksum condition belongs to the call that met it
    for (const auto& [stream, bytes, checksumError, flaw] : cases) {
        EXPECT_EQ(Decoded(stream, &codec), Bytes(bytes));
        const std::optional<Error>& e = codec.ChecksumError();
        ASSERT_EQ(e.has_value(), checksumError) << flaw;
        if (e) {
            EXPECT_EQ(std::tuple(e->Number(), e->Source(), e->Description()),
                      std::tuple(errnum::kComponentError, "clsHuffman.Decode()",
                                 "The data might be corrupted (checksum did not match expected "
                                 "value)"));
        }
        std::vector<uint8_t> whole = stream;
        const char* said = codec.DecodeStream(whole).Flaw();
        EXPECT_EQ(said != nullptr ? said : "", flaw);
        EXPECT_EQ(TreeWalkDisagreement(stream), "") << flaw;  // the report's flags too
    }
}

TEST(CodecVectors, ShortOrOversizedArgumentsAreSubscriptErrorsAndChangeNothing) {
    clsCompress codec;
    std::vector<uint8_t> two = Hex({0x4B, 0x58}), stream = kAbcStream, data = Bytes("abc");
    for (const std::function<void()>& call : std::vector<std::function<void()>>{
             [&] { codec.DecodeByte(two, 2); }, [&] { codec.DecodeStream(two); },
             [&] { codec.DecodeByte(stream, 20); }, [&] { codec.DecodeByte(stream, -1); },
             [&] { codec.EncodeByte(data, 4); }}) {
        EXPECT_EQ(CaughtError(call).Number(), errnum::kSubscriptOutOfRange);
    }
    EXPECT_EQ(two, Hex({0x4B, 0x58}));
    EXPECT_EQ(stream, kAbcStream);
    EXPECT_EQ(data, Bytes("abc"));
}

// A byte of one of five distributions: uniform, two values, geometric, skewed, Arabic UTF-16.
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

// Encodes `input`, which the decoder and the tree walk must give back intact; returns the stream.
std::vector<uint8_t> ExpectRoundTrip(const std::vector<uint8_t>& input, const std::string& what) {
    const std::vector<uint8_t> stream = Encoded(input);
    const testing::TreeWalkResult walk = TreeWalkDecode(stream);
    EXPECT_EQ(TreeWalkDisagreement(stream), "") << what;
    EXPECT_EQ(walk.bytes, input) << what;
    EXPECT_FALSE(walk.checksumMismatch) << what;
    return stream;
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

// Weights that follow the Fibonacci numbers make the deepest possible trees, with codes longer
// than any lookup table and, for the largest, longer than a machine word.
std::vector<uint8_t> FibonacciInput(int values) {
    std::vector<uint8_t> input;
    uint64_t a = 1, b = 1;
    for (int v = 0; v < values; ++v) {
        input.insert(input.end(), a, static_cast<uint8_t>(v));
        b += std::exchange(a, b);
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
    EXPECT_LT(ExpectRoundTrip(text, "whole text").size(), text.size() / 2);
}

// Builds a Huffman-form stream from its parts.
std::vector<uint8_t> Stream(int32_t length, int16_t count, std::vector<uint8_t> tableAndBits,
                            uint8_t checksum = 0) {
    std::vector<uint8_t> s = Hex({0x4B, 0x58, 0x20, 0x0D, checksum});
    const uint64_t fields = uint64_t{static_cast<uint16_t>(count)} << 32 | uint32_t(length);
    for (int k = 0; k < 6; ++k) {
        s.push_back(static_cast<uint8_t>(fields >> (8 * k)));
    }
    s.insert(s.end(), tableAndBits.begin(), tableAndBits.end());
    return s;
}

// The array DecodeByte leaves, once both decode calls have been checked against the tree walk.
std::vector<uint8_t> DecodeChecked(const std::vector<uint8_t>& stream) {
    EXPECT_EQ(TreeWalkDisagreement(stream), "");
    return TreeWalkDecode(stream).bytes;
}

TEST(CodecCorruptStreams, NothingDecodableKeepsTheArrayAndDecodeStreamSaysWhy) {
    const std::string notPositive = "its length field is 0 or below",
                      past = "its code table runs past its end",
                      nothing = "its data decodes to nothing";
    std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
        {Stream(0, 1, Hex({0x61, 0x01, 0x00, 0x00})), notPositive},
        {Stream(-1, 1, Hex({0x61, 0x01, 0x00, 0x00})), notPositive},
        // A value count far beyond the stream or below zero, table or code bits past the end.
        {Stream(3, 30000, Hex({0x61, 0x02, 0x62, 0x02})), past},
        {Stream(3, -5, Hex({0x61, 0x02})), nothing},
        {Stream(3, 2, Hex({0x61, 0x01, 0x62})), past},
        {Stream(3, 2, Hex({0x61, 0xFF, 0x62, 0xFF, 0x01})), past},
        // The very first data bit leads into no node.
        {Stream(5, 1, Hex({0x61, 0x01, 0x00, 0x01})), nothing}};
    for (size_t size = 5; size <= 10; ++size) {
        cases.push_back({Stream(3, 1, {}), "its header is cut short"});
        cases.back().first.resize(size);
    }
    for (const auto& [stream, why] : cases) {
        EXPECT_EQ(DecodeChecked(stream), stream) << why;
        std::vector<uint8_t> copy = stream;
        const Error e = CaughtError([&] { clsCompress().DecodeStream(copy); });
        EXPECT_EQ(e.Source(), "clsCompress.DecodeStream()");
        EXPECT_EQ(e.Description(), "The data is not an HE3 stream: " + why) << stream.size();
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
    EXPECT_FALSE(TreeWalkDecode(s).checksumMismatch);
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

// Valid streams with bytes changed, cut off or added, and streams of random headers and tables.
TEST(CodecCorruptStreams, RandomStreamsDecodeAsTheirTreeWalks) {
    std::mt19937 gen(11);
    for (int round = 0; round < 6000; ++round) {
        std::vector<uint8_t> data;
        if (round % 2 == 0) {
            const int spread = 1 + static_cast<int>(gen() % 40);
            for (size_t k = 1 + gen() % 600; k > 0; --k) {
                data.push_back(static_cast<uint8_t>(gen() % spread));
            }
            clsCompress().EncodeByte(data, static_cast<int32_t>(data.size()));
            for (int edits = 1 + static_cast<int>(gen() % 4); edits > 0; --edits) {
                const auto kind = gen() % 3;  // change a byte, cut the end, add a byte
                if (kind == 0 && !data.empty()) {
                    data[gen() % data.size()] = static_cast<uint8_t>(gen());
                } else if (kind == 1) {
                    data.resize(gen() % (data.size() + 1));
                } else if (kind == 2) {
                    data.push_back(static_cast<uint8_t>(gen()));
                }
            }
        } else {
            const int16_t count = static_cast<int16_t>(gen() % 12);
            for (int k = 0; k < count; ++k) {
                data.push_back(static_cast<uint8_t>(gen() % 16));
                data.push_back(static_cast<uint8_t>(gen() % 14));
            }
            for (int k = static_cast<int>(gen() % 200); k > 0; --k) {
                data.push_back(static_cast<uint8_t>(gen()));
            }
            data = Stream(static_cast<int32_t>(gen() % 3000), count, data,
                          static_cast<uint8_t>(gen()));
        }
        ASSERT_EQ(TreeWalkDisagreement(data), "") << "round " << round;
    }
}

}  // namespace
}  // namespace pagora

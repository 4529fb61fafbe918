#include "codec/clsCompress.h"

#include <fcntl.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>

#include "base/Files.h"
#include "base/Numbers.h"
#include "codec/HuffmanTable.h"
#include "codec/StreamHeader.h"

namespace pagora {

std::string LastWrittenSize;

namespace {

const char* const kDecodeSource = "clsCompress.DecodeByte()";
const char* const kEncodeSource = "clsCompress.EncodeByte()";

Error SubscriptOutOfRange(const char* source) {
    return Error(errnum::kSubscriptOutOfRange, source, "Subscript out of range");
}

void CheckByteLen(const std::vector<uint8_t>& array, int32_t byteLen, const char* source) {
    if (byteLen < 0 || static_cast<size_t>(byteLen) > array.size()) {
        throw SubscriptOutOfRange(source);
    }
}

int32_t ArrayLength(const std::vector<uint8_t>& array, const char* source) {
    if (array.size() > static_cast<size_t>(INT32_MAX)) {
        throw Error(errnum::kOverflow, source, "Overflow");
    }
    return static_cast<int32_t>(array.size());
}

// The exclusive-or of all bytes, folded 32 bytes at a time into four independent words.
uint8_t XorOf(const uint8_t* data, size_t size) {
    std::array<uint64_t, 4> lanes{};
    size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        for (size_t k = 0; k < 4; ++k) {
            uint64_t word;
            std::memcpy(&word, data + i + 8 * k, 8);
            lanes[k] ^= word;
        }
    }
    uint64_t wide = lanes[0] ^ lanes[1] ^ lanes[2] ^ lanes[3];
    for (; i < size; ++i) {
        wide ^= data[i];
    }
    wide ^= wide >> 32;
    wide ^= wide >> 16;
    wide ^= wide >> 8;
    return static_cast<uint8_t>(wide);
}

// Packs bits from the least significant bit up, flushing whole 32-bit words.
class BitWriter {
  public:
    explicit BitWriter(uint8_t* out) : out_(out) {}

    void Put(uint64_t bits, unsigned count) {
        while (count > 32) {
            Put32(bits & 0xFFFFFFFFu, 32);
            bits >>= 32;
            count -= 32;
        }
        Put32(bits, count);
    }

    // Writes the last, partly filled bytes; returns the number of bytes written in all.
    size_t Finish() {
        while (used_ > 0) {
            *out_++ = static_cast<uint8_t>(acc_);
            acc_ >>= 8;
            used_ = used_ > 8 ? used_ - 8 : 0;
            ++written_;
        }
        return written_;
    }

  private:
    void Put32(uint64_t bits, unsigned count) {
        acc_ |= bits << used_;
        used_ += count;
        if (used_ >= 32) {
            uint32_t word = static_cast<uint32_t>(acc_);
            std::memcpy(out_, &word, 4);  // little-endian hosts only, checked in CMake
            out_ += 4;
            written_ += 4;
            acc_ >>= 32;
            used_ -= 32;
        }
    }

    uint8_t* out_;
    uint64_t acc_ = 0;
    unsigned used_ = 0;
    size_t written_ = 0;
};

// A code packed for the bit writer: bit j of `bits` is the code's j-th bit.
struct PackedCode {
    std::array<uint64_t, 4> words{};
    unsigned length = 0;
};

PackedCode Pack(const BitSequence& code) {
    PackedCode packed;
    packed.length = code.BitCount;
    for (unsigned j = 0; j < code.BitCount; ++j) {
        if (code.Bits[j] != 0) {
            packed.words[j / 64] |= uint64_t{1} << (j % 64);
        }
    }
    return packed;
}

void PutCode(BitWriter& writer, const PackedCode& code) {
    unsigned left = code.length;
    for (size_t w = 0; left > 0; ++w) {
        unsigned n = left < 64 ? left : 64;
        writer.Put(code.words[w], n);
        left -= n;
    }
}

using Histogram = std::array<uint32_t, 256>;

// How often each byte value occurs. Four interleaved histograms keep the counting loop free of
// store-to-load stalls.
Histogram CountValues(const uint8_t* in, int32_t size) {
    std::array<Histogram, 4> partial{};
    int32_t i = 0;
    for (; i + 4 <= size; i += 4) {
        ++partial[0][in[i]];
        ++partial[1][in[i + 1]];
        ++partial[2][in[i + 2]];
        ++partial[3][in[i + 3]];
    }
    for (; i < size; ++i) {
        ++partial[0][in[i]];
    }
    Histogram counts;
    for (int value = 0; value < 256; ++value) {
        counts[value] =
            partial[0][value] + partial[1][value] + partial[2][value] + partial[3][value];
    }
    return counts;
}

// The Huffman tree of `counts`: a leaf for every value that occurs, in ascending order of value,
// then a parent for the two lightest parentless nodes until one is left, the root, which is
// the last node made. Returns the number of leaves.
int32_t BuildTree(const Histogram& counts, NodePool& nodes) {
    int32_t made = 0;
    for (int value = 0; value < 256; ++value) {
        if (counts[value] > 0) {
            HuffmanNode& leaf = nodes[made++];
            leaf.Weight = static_cast<int32_t>(counts[value]);
            leaf.Value = static_cast<int16_t>(value);
            leaf.ParentNode = leaf.OneNode = leaf.ZeroNode = -1;
        }
    }
    const int32_t leaves = made;
    // The parentless nodes in index order, with their weights side by side; a new parent has
    // the highest index so far and simply goes at the end.
    std::array<int16_t, 256> live;
    std::array<int32_t, 256> liveWeight;
    for (int32_t n = 0; n < leaves; ++n) {
        live[n] = static_cast<int16_t>(n);
        liveWeight[n] = nodes[n].Weight;
    }
    int32_t liveCount = leaves;
    for (int32_t merge = 1; merge < leaves; ++merge) {
        // The first two found are picked, then each later node may replace one of them. Written
        // with selects rather than branches, since the comparisons are as good as random.
        int32_t first = 0;
        int32_t second = 1;
        int32_t wF = liveWeight[0];
        int32_t wS = liveWeight[1];
        for (int32_t x = 2; x < liveCount; ++x) {
            const int32_t w = liveWeight[x];
            const bool toFirst = w < wF && (w >= wS || wF >= wS);
            const bool toSecond = !toFirst && w < wS;
            first = toFirst ? x : first;
            wF = toFirst ? w : wF;
            second = toSecond ? x : second;
            wS = toSecond ? w : wS;
        }
        const int16_t f = live[first];
        const int16_t sNode = live[second];
        HuffmanNode& parent = nodes[made];
        parent.Weight = wF + wS;
        parent.ZeroNode = f;
        parent.OneNode = sNode;
        parent.ParentNode = -1;
        parent.Value = -1;
        nodes[f].ParentNode = nodes[sNode].ParentNode = static_cast<int16_t>(made);
        int32_t kept = 0;
        for (int32_t x = 0; x < liveCount; ++x) {
            if (x != first && x != second) {
                live[kept] = live[x];
                liveWeight[kept] = liveWeight[x];
                ++kept;
            }
        }
        live[kept] = static_cast<int16_t>(made);
        liveWeight[kept] = parent.Weight;
        liveCount = kept + 1;
        ++made;
    }
    return leaves;
}

// The stored form: the tag, then the data as it is.
std::vector<uint8_t> StoredStream(const uint8_t* in, int32_t size) {
    std::vector<uint8_t> stored(static_cast<size_t>(size) + kTagSize);
    std::memcpy(stored.data(), kStoredTag.data(), kTagSize);
    std::memcpy(stored.data() + kTagSize, in, static_cast<size_t>(size));
    return stored;
}

// Writes the code bits (every code in ascending order of value) and then, from a fresh byte,
// the data bits (the code of every input byte); returns the number of bytes written.
size_t WritePayload(const CodeTable& codes, const uint8_t* in, int32_t size, uint8_t* out) {
    std::array<PackedCode, 256> packed;
    for (int value = 0; value < 256; ++value) {
        packed[value] = Pack(codes[value]);
    }
    BitWriter codeWriter(out);
    for (const PackedCode& code : packed) {
        PutCode(codeWriter, code);
    }
    uint8_t* p = out + codeWriter.Finish();

    bool allShort = true;
    for (const PackedCode& code : packed) {
        allShort = allShort && code.length <= 32;
    }
    if (!allShort) {
        BitWriter dataWriter(p);
        for (int32_t k = 0; k < size; ++k) {
            PutCode(dataWriter, packed[in[k]]);
        }
        return static_cast<size_t>(p - out) + dataWriter.Finish();
    }
    std::array<uint32_t, 256> bits{};
    std::array<uint8_t, 256> lengths{};
    for (int value = 0; value < 256; ++value) {
        bits[value] = static_cast<uint32_t>(packed[value].words[0]);
        lengths[value] = static_cast<uint8_t>(packed[value].length);
    }
    // Codes of up to 32 bits go straight into a 64-bit accumulator that is stored whole after
    // each code and advanced by the bytes it completed: no branch per code. The output buffer
    // has 8 bytes of slack.
    uint64_t acc = 0;
    unsigned used = 0;
    for (int32_t k = 0; k < size; ++k) {
        acc |= uint64_t{bits[in[k]]} << used;
        used += lengths[in[k]];
        std::memcpy(p, &acc, 8);
        p += used >> 3;
        acc >>= used & 56;
        used &= 7;
    }
    std::memcpy(p, &acc, 8);
    return static_cast<size_t>(p - out) + (used + 7) / 8;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Decoding

clsCompress::Decoded clsCompress::Decode(std::vector<uint8_t>& ByteArray, int32_t ByteLen,
                                         const char* source, bool checkEnd) {
    checksumError_.reset();
    CheckByteLen(ByteArray, ByteLen, source);
    if (ByteLen < static_cast<int32_t>(kTagSize)) {
        throw SubscriptOutOfRange(source);
    }
    const uint8_t* in = ByteArray.data();
    switch (FormOf(in)) {
        case StreamForm::kStored:
            ByteArray = std::vector<uint8_t>(in + kTagSize, in + ByteLen);
            return {Outcome::kStored, nullptr, true, true};
        case StreamForm::kUnknownTag:
            throw Error(errnum::kComponentError, "HuffmanDecode()",
                        "The data either was not compressed with HE3 or is corrupt "
                        "(identification string not found)");
        case StreamForm::kHuffman:
            break;
    }

    // Nothing below trusts the stream: a header that does not leave a data section decodes to
    // nothing.
    const ParsedHeader parsed = ParseHeader(in, static_cast<size_t>(ByteLen));
    if (parsed.fault != HeaderFault::kNone) {
        return {Outcome::kNothingDecoded, Describe(parsed.fault), false};
    }
    const StreamHeader& header = parsed.header;

    // Each data bit yields at most one byte, so a length field larger than that cannot be met.
    const int64_t dataBytes = ByteLen - static_cast<int64_t>(parsed.dataAt);
    const int64_t capacity = std::min<int64_t>(header.length, dataBytes * 8);
    HuffmanTable table(capacity);
    std::optional<NodePool> nodes;
    if (!table.BuildFromCodes(header.codeLengths, in, static_cast<size_t>(ByteLen),
                              parsed.codeBitsAt)) {
        // Codes that are not a complete prefix code: decode exactly as their tree does. The
        // codes go into the tree in ascending order of value, as they are read.
        nodes.emplace();
        int32_t nodesCount = 1;
        BitSequence code;
        code.Bits.resize(256);
        uint64_t bitPos = parsed.codeBitsAt;
        for (int value = 0; value < 256; ++value) {
            code.BitCount = header.codeLengths[value];
            if (code.BitCount == 0) {
                continue;
            }
            for (unsigned j = 0; j < code.BitCount; ++j, ++bitPos) {
                code.Bits[j] = (in[bitPos >> 3] >> (bitPos & 7)) & 1;
            }
            AddCodeToTree(*nodes, nodesCount, value, code);
        }
        table.BuildFromTree(*nodes);
    }
    std::vector<uint8_t> out(static_cast<size_t>(capacity) + HuffmanTable::kOutputSlack);
    const size_t produced = table.Decode(in + parsed.dataAt, static_cast<size_t>(dataBytes),
                                         out.data(), static_cast<size_t>(capacity));
    if (XorOf(out.data(), produced) != header.checksum) {
        checksumError_.emplace(errnum::kComponentError, "clsHuffman.Decode()",
                               "The data might be corrupted (checksum did not match expected "
                               "value)");
    }
    if (produced == 0) {
        return {Outcome::kNothingDecoded, "its data decodes to nothing", false};
    }
    Decoded decoded{Outcome::kDecoded, nullptr, produced == static_cast<size_t>(header.length)};
    if (checkEnd) {
        // Every value produced took the bits of its code, whatever the tree looks like.
        std::array<uint64_t, 256> counts{};
        for (size_t k = 0; k < produced; ++k) {
            ++counts[out[k]];
        }
        uint64_t bits = 0;
        for (int value = 0; value < 256; ++value) {
            bits += counts[value] * header.codeLengths[value];
        }
        const unsigned unused = static_cast<unsigned>(bits % 8);
        decoded.endsWithData = (bits + 7) / 8 == static_cast<uint64_t>(dataBytes) &&
                               (unused == 0 || in[ByteLen - 1] >> unused == 0);
    }
    out.resize(produced);
    ByteArray.swap(out);
    return decoded;
}

void clsCompress::DecodeByte(std::vector<uint8_t>& ByteArray, int32_t ByteLen) {
    Decode(ByteArray, ByteLen, kDecodeSource);
}

DecodeReport clsCompress::DecodeWhole(std::vector<uint8_t>& ByteArray, const char* source) {
    const int32_t length = ArrayLength(ByteArray, source);
    if (length == static_cast<int32_t>(kTagSize) &&
        FormOf(ByteArray.data()) == StreamForm::kHuffman) {
        checksumError_.reset();
        ByteArray.clear();  // the encoder's stream for empty data
        return {true, true, true};
    }
    const Decoded decoded = Decode(ByteArray, length, source, true);
    if (decoded.outcome == Outcome::kNothingDecoded) {
        throw Error(errnum::kComponentError, source,
                    std::string("The data is not an HE3 stream: ") + decoded.why);
    }
    return {decoded.complete, decoded.endsWithData, !checksumError_.has_value()};
}

const char* DecodeReport::Flaw() const {
    if (!complete) {
        return "its data ends before its length";
    }
    if (!endsWithData) {
        return "more follows its data";
    }
    return checksumMatches ? nullptr : "checksum did not match expected value";
}

DecodeReport clsCompress::DecodeStream(std::vector<uint8_t>& ByteArray) {
    return DecodeWhole(ByteArray, "clsCompress.DecodeStream()");
}

void clsCompress::AddCodeToTree(NodePool& Nodes, int32_t& NodesCount, int32_t Value,
                                const BitSequence& Code) {
    // Written without branches on the code's bits, which are as good as random.
    int32_t current = 0;
    int32_t made = NodesCount;
    for (unsigned j = 0; j < Code.BitCount; ++j) {
        HuffmanNode& node = Nodes[current];
        const bool one = Code.Bits[j] != 0;
        int32_t child = one ? node.OneNode : node.ZeroNode;
        if (child == -1) {
            if (made >= static_cast<int32_t>(kNodePoolSize)) {
                NodesCount = made;
                return;  // pool exhausted (only a corrupt table gets here): the code is dropped
            }
            HuffmanNode& fresh = Nodes[made];
            fresh.ParentNode = static_cast<int16_t>(current);
            fresh.OneNode = fresh.ZeroNode = fresh.Value = -1;
            child = made++;
            node.OneNode = static_cast<int16_t>(one ? child : node.OneNode);
            node.ZeroNode = static_cast<int16_t>(one ? node.ZeroNode : child);
        }
        current = child;
    }
    NodesCount = made;
    Nodes[current].Value = static_cast<int16_t>(Value);
}

bool clsCompress::FileExists(const std::string& FileName) {
    std::error_code ec;
    (void)std::filesystem::file_size(FileName, ec);
    return !ec;
}

void clsCompress::DecodeFile(const std::string& DestFile, std::vector<uint8_t>& ByteArray) {
    DecodeWhole(ByteArray, "clsCompress.DecodeFile()");
    WriteNewFile(DestFile, ByteArray, "clsCompress.DecodeFile()");
}

void clsCompress::ExtractFile(const std::string& DestFile, const std::vector<uint8_t>& ByteArray) {
    WriteNewFile(DestFile, ByteArray, "clsCompress.ExtractFile()");
}

// ---------------------------------------------------------------------------------------------
// Encoding

void clsCompress::EncodeByte(std::vector<uint8_t>& ByteArray, int32_t ByteLen) {
    CheckByteLen(ByteArray, ByteLen, kEncodeSource);
    if (ByteLen == 0) {
        ByteArray.assign(kHuffmanTag.begin(), kHuffmanTag.end());
        return;
    }
    const uint8_t* in = ByteArray.data();
    const Histogram counts = CountValues(in, ByteLen);
    NodePool nodes;
    const int32_t leaves = BuildTree(counts, nodes);
    CodeTable codes;
    BitSequence working;
    working.Bits.assign(256, 0);
    AssignCodes(nodes, static_cast<int16_t>(2 * leaves - 2), working, codes);

    StreamHeader header;
    header.length = ByteLen;
    int64_t dataBits = 0;
    int64_t codeBits = 0;
    for (int value = 0; value < 256; ++value) {
        const uint8_t length = codes[value].BitCount;
        header.codeLengths[value] = length;
        header.valueCount = static_cast<int16_t>(header.valueCount + (length != 0 ? 1 : 0));
        dataBits += int64_t{counts[value]} * length;
        codeBits += length;
    }
    if (dataBits > INT32_MAX) {
        throw Error(errnum::kOverflow, kEncodeSource, "Overflow");
    }
    // Only the data bits count: the stored form as soon as they would take more room than the
    // data itself, or none at all (one value repeated).
    const int64_t dataBytes = (dataBits + 7) / 8;
    if (dataBytes > ByteLen || dataBytes == 0) {
        std::vector<uint8_t> stored = StoredStream(in, ByteLen);
        ByteArray.swap(stored);
        return;
    }
    header.checksum = XorOf(in, static_cast<size_t>(ByteLen));

    const size_t total = StreamHeader::kSize + 2 * static_cast<size_t>(header.valueCount) +
                         static_cast<size_t>((codeBits + 7) / 8) + static_cast<size_t>(dataBytes);
    std::vector<uint8_t> out(total + 8);  // slack for the word-wise bit writers
    const size_t headerSize = header.Write(out.data());
    WritePayload(codes, in, ByteLen, out.data() + headerSize);
    out.resize(total);
    ByteArray.swap(out);
}

void clsCompress::AssignCodes(const NodePool& Nodes, int16_t NodeIndex, BitSequence& Code,
                              CodeTable& Table) {
    const HuffmanNode& node = Nodes[NodeIndex];
    if (node.Value >= 0) {
        Table[node.Value].BitCount = Code.BitCount;
        Table[node.Value].Bits.assign(Code.Bits.begin(), Code.Bits.begin() + Code.BitCount);
        return;
    }
    // The working code is extended in place and restored, which gives each branch a fresh copy
    // of the code this call received.
    const uint8_t count = Code.BitCount;
    if (node.ZeroNode != -1) {
        Code.Bits[count] = 0;
        Code.BitCount = static_cast<uint8_t>(count + 1);
        AssignCodes(Nodes, node.ZeroNode, Code, Table);
        Code.BitCount = count;
    }
    if (node.OneNode != -1) {
        Code.Bits[count] = 1;
        Code.BitCount = static_cast<uint8_t>(count + 1);
        AssignCodes(Nodes, node.OneNode, Code, Table);
        Code.BitCount = count;
    }
}

// ---------------------------------------------------------------------------------------------
// Text wrappers

namespace {

std::vector<uint8_t> TextToBytes(const std::u16string& text, const char* source) {
    std::vector<uint8_t> bytes(text.size());
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] > 0xFF) {
            char buf[96];
            std::snprintf(buf, sizeof buf,
                          "The text holds U+%04X at position %zu, which has no single-byte form",
                          static_cast<unsigned>(text[k]), k + 1);
            throw Error(errnum::kInvalidArgument, source, buf);
        }
        bytes[k] = static_cast<uint8_t>(text[k]);
    }
    return bytes;
}

std::u16string BytesToText(const std::vector<uint8_t>& bytes) {
    return std::u16string(bytes.begin(), bytes.end());
}

}  // namespace

void clsCompress::EncodeString(std::u16string& Text) {
    const char* source = "clsCompress.EncodeString()";
    std::vector<uint8_t> bytes = TextToBytes(Text, source);
    EncodeByte(bytes, ArrayLength(bytes, source));
    Text = BytesToText(bytes);
}

void clsCompress::DecodeString(std::u16string& Text, const std::string& DestFile) {
    const char* source = "clsCompress.DecodeString()";
    std::vector<uint8_t> bytes = TextToBytes(Text, source);
    DecodeByte(bytes, ArrayLength(bytes, source));
    Text = BytesToText(bytes);
    // Replaced whole: a longer old file must not keep bytes that were never decoded.
    UniqueFd fd = OpenFile(DestFile, O_WRONLY | O_CREAT | O_TRUNC, source);
    WriteAllAt(fd.get(), bytes.data(), bytes.size(), 0, source, DestFile);
    fd.Close(source, DestFile);
}

// ---------------------------------------------------------------------------------------------
// Container writers

void clsCompress::EncodeFile(const std::string& SourceFile, const std::string& DestFile,
                             const std::string& Position) {
    StoreAtPosition(SourceFile, DestFile, Position, true, "clsHuffman.EncodeFile()");
}

void clsCompress::AddFiles(const std::string& SourceFile, const std::string& DestFile,
                           const std::string& Position) {
    StoreAtPosition(SourceFile, DestFile, Position, false, "clsHuffman.AddFiles()");
}

void clsCompress::StoreAtPosition(const std::string& SourceFile, const std::string& DestFile,
                                  const std::string& Position, bool encode, const char* source) {
    if (!FileExists(SourceFile)) {
        throw Error(errnum::kComponentError, source, "Source file does not exist");
    }
    std::vector<uint8_t> bytes = ReadWholeFile(SourceFile, source, INT32_MAX);
    if (bytes.empty()) {
        throw SubscriptOutOfRange(source);
    }
    if (encode) {
        EncodeByte(bytes, static_cast<int32_t>(bytes.size()));
    }
    LastWrittenSize = std::to_string(bytes.size());

    UniqueFd fd = OpenFile(DestFile, O_WRONLY | O_CREAT, source);
    const int32_t position = TextToLong(Position, source);
    if (position < 1) {
        throw Error(errnum::kBadRecordNumber, source, "Bad record number: " + Position);
    }
    WriteAllAt(fd.get(), bytes.data(), bytes.size(), int64_t{position} - 1, source, DestFile);
    fd.Close(source, DestFile);
}

}  // namespace pagora

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "codec/NodePool.h"

namespace pagora {

// Size in bytes of the last stream or file written by EncodeFile or AddFiles, as decimal text.
// Shared by every clsCompress in the process; empty until the first successful write.
extern std::string LastWrittenSize;

// What decoding a whole stream gave.
struct DecodeReport {
    bool complete = false;  // as many bytes as the stream's length field promised
    // The data section ends with the last code: no byte after it, its unused bits 0, as the
    // encoder writes it. Damage that leaves the length and the checksum whole rarely keeps this.
    bool endsWithData = false;
    bool checksumMatches = false;

    // What is wrong with the decoded bytes ("its data ends before its length"), or null when
    // they are sound.
    const char* Flaw() const;
};

// The HE3 codec: a static-Huffman stream format with a stored fallback, in-memory and
// file-level encoders and decoders, and positioned writers for container files.
//
// Byte arrays are in/out: an operation replaces the caller's array by its result. A failing
// operation throws pagora::Error and leaves the array as it was.
class clsCompress {
  public:
    void EncodeFile(const std::string& SourceFile, const std::string& DestFile,
                    const std::string& Position);
    void AddFiles(const std::string& SourceFile, const std::string& DestFile,
                  const std::string& Position);
    // DecodeStream, then the decoded bytes become the whole content of DestFile.
    void DecodeFile(const std::string& DestFile, std::vector<uint8_t>& ByteArray);
    void ExtractFile(const std::string& DestFile, const std::vector<uint8_t>& ByteArray);
    void EncodeByte(std::vector<uint8_t>& ByteArray, int32_t ByteLen);
    // Text holds one byte per character (ISO-8859-1); DestFile ends up holding exactly the
    // decoded text.
    void DecodeString(std::u16string& Text, const std::string& DestFile);
    void EncodeString(std::u16string& Text);
    // Decodes in memory. A Huffman-form stream that holds nothing to decode (a header cut
    // short, a length of 0 or below, a table running past the end, data that yields no byte)
    // leaves the array as it was.
    void DecodeByte(std::vector<uint8_t>& ByteArray, int32_t ByteLen);

    // DecodeByte of the whole array for callers that must never take undecoded bytes for
    // decoded ones: where DecodeByte would leave such a stream as it was, this fails with
    // Error 0x80040000 from "clsCompress.DecodeStream()" saying why the data is not an HE3
    // stream. The four bytes that the encoder writes for empty data decode to no bytes.
    DecodeReport DecodeStream(std::vector<uint8_t>& ByteArray);

    // The non-fatal checksum condition of the most recent decode, if it occurred.
    const std::optional<Error>& ChecksumError() const { return checksumError_; }

  private:
    enum class Outcome { kStored, kDecoded, kNothingDecoded };
    struct Decoded {
        Outcome outcome = Outcome::kNothingDecoded;
        const char* why = nullptr;  // for kNothingDecoded
        bool complete = false;
        bool endsWithData = false;  // worked out only when asked for
    };
    Decoded Decode(std::vector<uint8_t>& ByteArray, int32_t ByteLen, const char* source,
                   bool checkEnd = false);
    DecodeReport DecodeWhole(std::vector<uint8_t>& ByteArray, const char* source);

    static void AddCodeToTree(NodePool& Nodes, int32_t& NodesCount, int32_t Value,
                              const BitSequence& Code);
    static void AssignCodes(const NodePool& Nodes, int16_t NodeIndex, BitSequence& Code,
                            CodeTable& Table);
    static bool FileExists(const std::string& FileName);

    void StoreAtPosition(const std::string& SourceFile, const std::string& DestFile,
                         const std::string& Position, bool encode, const char* source);

    std::optional<Error> checksumError_;
};

}  // namespace pagora

#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"

namespace pagora {

// Size in bytes of the last stream or file written by EncodeFile or AddFiles, as decimal text.
// Shared by every clsCompress in the process; empty until the first successful write.
extern std::string LastWrittenSize;

// One node of the Huffman tree; nodes refer to each other by index into a fixed pool.
struct HuffmanNode {
    int16_t ParentNode = -1;
    int16_t OneNode = -1;
    int16_t ZeroNode = -1;
    int16_t Value = -1;
    int32_t Weight = 0;
};

// One byte value's code: BitCount bits, one element (0 or 1) per bit, root side first.
struct BitSequence {
    uint8_t BitCount = 0;
    std::vector<uint8_t> Bits;
};

// The HE3 codec: a static-Huffman stream format with a stored fallback, in-memory and
// file-level encoders and decoders, and positioned writers for container files.
//
// Byte arrays are in/out: an operation replaces the caller's array by its result. A failing
// operation throws pagora::Error and leaves the array as it was.
class clsCompress {
  public:
    static constexpr size_t kNodePoolSize = 512;
    using NodePool = std::array<HuffmanNode, kNodePoolSize>;
    using CodeTable = std::array<BitSequence, 256>;

    void EncodeFile(const std::string& SourceFile, const std::string& DestFile,
                    const std::string& Position);
    void AddFiles(const std::string& SourceFile, const std::string& DestFile,
                  const std::string& Position);
    void DecodeFile(const std::string& DestFile, std::vector<uint8_t>& ByteArray);
    void ExtractFile(const std::string& DestFile, const std::vector<uint8_t>& ByteArray);
    void EncodeByte(std::vector<uint8_t>& ByteArray, int32_t ByteLen);
    // Text holds one byte per character (ISO-8859-1); DestFile ends up holding exactly the
    // decoded text.
    void DecodeString(std::u16string& Text, const std::string& DestFile);
    void EncodeString(std::u16string& Text);
    void DecodeByte(std::vector<uint8_t>& ByteArray, int32_t ByteLen);

    // The non-fatal checksum condition of the most recent decode, if it occurred.
    const std::optional<Error>& ChecksumError() const { return checksumError_; }

  private:
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

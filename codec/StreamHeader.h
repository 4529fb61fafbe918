#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace pagora {

// The head of an HE3 stream: four identification bytes; for the Huffman form then the fixed
// fields (checksum, uncompressed length, value count, little-endian) and the code-length table
// of (value, length) byte pairs. The code bits and the data bits that follow are the payload.

// The Huffman form as the encoder writes it: "KX", a blank, a carriage return.
inline constexpr std::array<uint8_t, 4> kHuffmanTag = {0x4B, 0x58, 0x20, 0x0D};
// "HE3" and a carriage return: also the Huffman form.
inline constexpr std::array<uint8_t, 4> kHe3Tag = {0x48, 0x45, 0x33, 0x0D};
// "HE0" and a carriage return: the data follows as it is.
inline constexpr std::array<uint8_t, 4> kStoredTag = {0x48, 0x45, 0x30, 0x0D};
inline constexpr size_t kTagSize = 4;

enum class StreamForm { kHuffman, kStored, kUnknownTag };

// The form that a stream's first four bytes name. Bytes that do not read "HE", any byte and a
// carriage return are taken as the Huffman form without a further look.
StreamForm FormOf(const uint8_t* tag);

struct StreamHeader {
    // Tag and fixed fields.
    static constexpr size_t kSize = 11;

    uint8_t checksum = 0;    // exclusive-or of the uncompressed bytes
    int32_t length = 0;      // number of uncompressed bytes
    int16_t valueCount = 0;  // entries of the code-length table
    // Code length by byte value, 0 for a value without a code. A value listed twice keeps the
    // length of its last entry.
    std::array<uint8_t, 256> codeLengths{};

    // Writes the Huffman tag, the fixed fields and one table entry per value that has a code,
    // in ascending order of value (`valueCount` of them); returns the number of bytes written.
    size_t Write(uint8_t* out) const;
};

// Why a Huffman-form stream holds nothing to decode.
enum class HeaderFault {
    kNone,
    kShort,              // fewer than the 11 bytes of tag and fixed fields
    kLengthNotPositive,  // an uncompressed length of 0 or below
    kRunsPastEnd,        // the table or the code bits leave no data section
};

struct ParsedHeader {
    StreamHeader header;
    HeaderFault fault = HeaderFault::kNone;
    uint64_t codeBitsAt = 0;  // bit position of the first code bit
    size_t dataAt = 0;        // byte position of the data section
};

// Reads the head of a Huffman-form stream of `size` bytes. The table is read only when it lies
// wholly inside the stream; the header is only trusted as far as `fault` says.
ParsedHeader ParseHeader(const uint8_t* stream, size_t size);

// A short description of `fault` for messages ("its header is cut short").
const char* Describe(HeaderFault fault);

}  // namespace pagora

#include "codec/StreamHeader.h"

#include <algorithm>
#include <cstring>

namespace pagora {

StreamForm FormOf(const uint8_t* tag) {
    if (tag[0] != kStoredTag[0] || tag[1] != kStoredTag[1] || tag[3] != kStoredTag[3]) {
        return StreamForm::kHuffman;
    }
    if (tag[2] == kStoredTag[2]) {
        return StreamForm::kStored;
    }
    return tag[2] == kHe3Tag[2] ? StreamForm::kHuffman : StreamForm::kUnknownTag;
}

size_t StreamHeader::Write(uint8_t* out) const {
    std::memcpy(out, kHuffmanTag.data(), kTagSize);
    out[4] = checksum;
    std::memcpy(out + 5, &length, 4);  // little-endian hosts only, checked in CMake
    std::memcpy(out + 9, &valueCount, 2);
    uint8_t* p = out + kSize;
    for (int value = 0; value < 256; ++value) {
        if (codeLengths[value] != 0) {
            *p++ = static_cast<uint8_t>(value);
            *p++ = codeLengths[value];
        }
    }
    return static_cast<size_t>(p - out);
}

ParsedHeader ParseHeader(const uint8_t* stream, size_t size) {
    ParsedHeader parsed;
    StreamHeader& header = parsed.header;
    if (size < StreamHeader::kSize) {
        parsed.fault = HeaderFault::kShort;
        return parsed;
    }
    header.checksum = stream[4];
    std::memcpy(&header.length, stream + 5, 4);
    std::memcpy(&header.valueCount, stream + 9, 2);
    if (header.length <= 0) {
        parsed.fault = HeaderFault::kLengthNotPositive;
        return parsed;
    }
    const size_t tableEnd =
        StreamHeader::kSize + 2 * static_cast<size_t>(std::max<int16_t>(header.valueCount, 0));
    if (tableEnd > size) {
        parsed.fault = HeaderFault::kRunsPastEnd;
        return parsed;
    }
    uint64_t codeBits = 0;
    for (size_t at = StreamHeader::kSize; at < tableEnd; at += 2) {
        header.codeLengths[stream[at]] = stream[at + 1];
    }
    for (const uint8_t bits : header.codeLengths) {
        codeBits += bits;
    }
    parsed.codeBitsAt = uint64_t{tableEnd} * 8;
    parsed.dataAt = static_cast<size_t>((parsed.codeBitsAt + codeBits + 7) / 8);
    if (parsed.dataAt >= size) {
        parsed.fault = HeaderFault::kRunsPastEnd;
    }
    return parsed;
}

const char* Describe(HeaderFault fault) {
    switch (fault) {
        case HeaderFault::kShort:
            return "its header is cut short";
        case HeaderFault::kLengthNotPositive:
            return "its length field is 0 or below";
        case HeaderFault::kRunsPastEnd:
            return "its code table runs past its end";
        case HeaderFault::kNone:
            break;
    }
    return "it holds together";
}

}  // namespace pagora

#pragma once
// Archives put together by hand, byte by byte, for the data layer's tests.

#include <string>

#include "codec/clsCompress.h"
#include "tests/support/TestFiles.h"

namespace pagora::testing {

// The HE3 stream of `content`, as the codec encodes it in memory.
inline std::string EncodedStream(const std::string& content) {
    std::vector<uint8_t> bytes = Bytes(content);
    clsCompress().EncodeByte(bytes, static_cast<int32_t>(bytes.size()));
    return Text(bytes);
}

// A stream in the stored form: four identification bytes, then the content unchanged.
inline std::string StoredStream(const std::string& content) {
    return std::string("HE0\r", 4) + content;
}

// The 10-byte trailer holding `number` with the given padding before it.
inline std::string Trailer(size_t number, size_t blanksBefore = 0) {
    std::string t = std::string(blanksBefore, ' ') + std::to_string(number);
    t.resize(10, ' ');
    return t;
}

// Streams, directory text and a trailer that gives the directory's true length.
inline std::string Container(const std::string& streams, const std::string& directory) {
    return streams + directory + Trailer(directory.size());
}

}  // namespace pagora::testing

#pragma once
// What the tests of codec, data, tools and base share: bytes and text, whole files, a private
// folder per test, and the pagora::Error a call throws.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/Error.h"
#include "base/Files.h"

namespace pagora::testing {

namespace fs = std::filesystem;

inline std::vector<uint8_t> Bytes(std::string_view text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline std::vector<uint8_t> Hex(std::initializer_list<int> values) {
    return std::vector<uint8_t>(values.begin(), values.end());
}

inline std::string Text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

inline std::vector<uint8_t> ReadBytes(const fs::path& path) {
    return ReadWholeFile(path.string(), "test");
}
inline std::string ReadText(const fs::path& path) {
    return Text(ReadBytes(path));
}

inline void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    WriteNewFile(path.string(), bytes, "test");
}
inline void WriteText(const fs::path& path, std::string_view text) {
    WriteNewFile(path.string(), text.data(), text.size(), "test");
}

// A private folder for each test, removed with its content afterwards.
class TestFolder : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const { return folder_ / name; }

    TemporaryFolder folder_{"pagora-test"};
    const fs::path dir_{folder_.Path()};
};

// Runs `call` and returns the pagora::Error it throws; fails the test when it throws none.
template <typename Call>
Error CaughtError(Call call) {
    try {
        call();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "expected a pagora::Error";
    return Error(0, "", "");
}

}  // namespace pagora::testing

#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/Error.h"
#include "codec/clsCompress.h"

namespace pagora::testing {

namespace fs = std::filesystem;

inline std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline std::string Text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

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

// A private folder for one test, removed afterwards.
class TestFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::path(::testing::TempDir()) /
               ("pagora_data_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }

    fs::path dir_;
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

// File-level operations: decoded files, positioned container writes and their sizes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "codec/clsCompress.h"
#include "tests/codec/CodecTestUtil.h"

namespace pagora {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ExpectError;

class CodecFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::path(::testing::TempDir()) /
               ("codec_files_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    std::vector<uint8_t> Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    std::vector<uint8_t> ReadRange(const std::string& name, size_t position, size_t size) const {
        std::vector<uint8_t> all = Read(name);
        return std::vector<uint8_t>(all.begin() + static_cast<long>(position - 1),
                                    all.begin() + static_cast<long>(position - 1 + size));
    }

    fs::path dir_;
    clsCompress codec_;
};

TEST_F(CodecFiles, ContainerOfAnEncodedAndAStoredEntry) {
    Write("abc.txt", Bytes("abc"));
    codec_.EncodeFile(Path("abc.txt"), Path("box.dat"), "1");
    EXPECT_EQ(LastWrittenSize, "19");
    EXPECT_EQ(Read("box.dat").size(), 19u);

    codec_.AddFiles(Path("abc.txt"), Path("box.dat"), "20");
    EXPECT_EQ(LastWrittenSize, "3");
    const std::vector<uint8_t> box = Read("box.dat");
    ASSERT_EQ(box.size(), 22u);
    EXPECT_EQ(std::vector<uint8_t>(box.end() - 3, box.end()), Bytes("abc"));

    std::vector<uint8_t> encoded = ReadRange("box.dat", 1, 19);
    codec_.DecodeFile(Path("out1.txt"), encoded);
    EXPECT_EQ(Read("out1.txt"), Bytes("abc"));
    EXPECT_EQ(encoded, Bytes("abc"));
    codec_.ExtractFile(Path("out2.txt"), ReadRange("box.dat", 20, 3));
    EXPECT_EQ(Read("out2.txt"), Bytes("abc"));
}

TEST_F(CodecFiles, PositionedWritesChangeOnlyTheirRange) {
    Write("box.dat", Bytes("0123456789"));
    Write("xy.txt", Bytes("XY"));
    codec_.AddFiles(Path("xy.txt"), Path("box.dat"), " 4 ");
    EXPECT_EQ(Read("box.dat"), Bytes("012XY56789"));
    // Past the end the file grows; the gap reads as zero bytes.
    codec_.AddFiles(Path("xy.txt"), Path("box.dat"), "13");
    std::vector<uint8_t> expected = Bytes("012XY56789");
    expected.insert(expected.end(), {0, 0, 'X', 'Y'});
    EXPECT_EQ(Read("box.dat"), expected);
}

TEST_F(CodecFiles, MissingOrEmptySourceWritesNothing) {
    LastWrittenSize = "77";
    ExpectError([&] { codec_.EncodeFile(Path("nope"), Path("box.dat"), "1"); },
                errnum::kComponentError, "clsHuffman.EncodeFile()", "Source file does not exist");
    ExpectError([&] { codec_.AddFiles(Path("nope"), Path("box.dat"), "1"); },
                errnum::kComponentError, "clsHuffman.AddFiles()", "Source file does not exist");
    ExpectError([&] { codec_.EncodeFile(dir_.string(), Path("box.dat"), "1"); },
                errnum::kComponentError);
    Write("empty.txt", {});
    ExpectError([&] { codec_.EncodeFile(Path("empty.txt"), Path("box.dat"), "1"); },
                errnum::kSubscriptOutOfRange);
    ExpectError([&] { codec_.AddFiles(Path("empty.txt"), Path("box.dat"), "1"); },
                errnum::kSubscriptOutOfRange);
    EXPECT_FALSE(fs::exists(Path("box.dat")));
    EXPECT_EQ(LastWrittenSize, "77");
}

TEST_F(CodecFiles, BadPositionsFailAfterSizeAndCreation) {
    Write("abc.txt", Bytes("abc"));
    ExpectError([&] { codec_.EncodeFile(Path("abc.txt"), Path("box.dat"), "first"); },
                errnum::kTypeMismatch);
    EXPECT_EQ(LastWrittenSize, "19");
    EXPECT_TRUE(fs::exists(Path("box.dat")));
    EXPECT_EQ(fs::file_size(Path("box.dat")), 0u);
    ExpectError([&] { codec_.AddFiles(Path("abc.txt"), Path("box.dat"), "0"); },
                errnum::kBadRecordNumber);
    ExpectError([&] { codec_.AddFiles(Path("abc.txt"), Path("box.dat"), "99999999999"); },
                errnum::kOverflow);
    EXPECT_EQ(fs::file_size(Path("box.dat")), 0u);
}

TEST_F(CodecFiles, DecodedFilesReplaceLongerFilesWhole) {
    Write("old.txt", Bytes("a much longer old content"));
    std::vector<uint8_t> stream = Bytes("abc");
    codec_.EncodeByte(stream, 3);
    codec_.DecodeFile(Path("old.txt"), stream);
    EXPECT_EQ(Read("old.txt"), Bytes("abc"));

    codec_.ExtractFile(Path("old.txt"), Bytes("xy"));
    EXPECT_EQ(Read("old.txt"), Bytes("xy"));

    Write("str.txt", Bytes("a much longer old content"));
    std::u16string text = u"hello";
    codec_.EncodeString(text);
    codec_.DecodeString(text, Path("str.txt"));
    EXPECT_EQ(text, u"hello");
    EXPECT_EQ(Read("str.txt"), Bytes("hello"));
}

TEST_F(CodecFiles, FailedDecodeLeavesTheDestinationAlone) {
    Write("keep.txt", Bytes("keep"));
    std::vector<uint8_t> bad = {0x48, 0x45, 0x39, 0x0D, 1, 2};
    ExpectError([&] { codec_.DecodeFile(Path("keep.txt"), bad); }, errnum::kComponentError,
                "HuffmanDecode()");
    EXPECT_EQ(Read("keep.txt"), Bytes("keep"));
    std::u16string text = u"HE9\r..";
    ExpectError([&] { codec_.DecodeString(text, Path("keep.txt")); }, errnum::kComponentError);
    EXPECT_EQ(text, u"HE9\r..");
    EXPECT_EQ(Read("keep.txt"), Bytes("keep"));
}

TEST_F(CodecFiles, DecodedFileReplacesALinkInsteadOfFollowingIt) {
    Write("target.txt", Bytes("precious"));
    fs::create_symlink(Path("target.txt"), Path("link.txt"));
    fs::create_symlink(Path("nowhere"), Path("dangling.txt"));
    std::vector<uint8_t> stream = Bytes("abc");
    codec_.EncodeByte(stream, 3);
    std::vector<uint8_t> copy = stream;
    codec_.DecodeFile(Path("link.txt"), stream);
    codec_.DecodeFile(Path("dangling.txt"), copy);
    EXPECT_EQ(Read("target.txt"), Bytes("precious"));
    EXPECT_FALSE(fs::is_symlink(Path("link.txt")));
    EXPECT_EQ(Read("link.txt"), Bytes("abc"));
    EXPECT_EQ(Read("dangling.txt"), Bytes("abc"));
    EXPECT_FALSE(fs::exists(Path("nowhere")));
}

TEST_F(CodecFiles, FileErrorsCarryTheirNumbers) {
    std::vector<uint8_t> stream = Bytes("xyz");
    codec_.EncodeByte(stream, 3);
    ExpectError([&] { codec_.DecodeFile(Path("no/such/folder/x.txt"), stream); },
                errnum::kFileNotFound);
    ExpectError([&] { codec_.ExtractFile(Path("a.txt/b.txt"), Bytes("q")); },
                errnum::kFileNotFound);
    if (::geteuid() != 0) {  // root writes anywhere
        fs::create_directories(Path("ro"));
        fs::permissions(Path("ro"), fs::perms::owner_read | fs::perms::owner_exec);
        ExpectError([&] { codec_.ExtractFile(Path("ro/x.txt"), Bytes("q")); },
                    errnum::kPermissionDenied);
        fs::permissions(Path("ro"), fs::perms::owner_all);
    }
}

}  // namespace
}  // namespace pagora

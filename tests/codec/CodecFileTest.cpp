// File-level operations: decoded files, positioned container writes and their sizes.
#include <unistd.h>

#include <functional>
#include <tuple>

#include "codec/clsCompress.h"
#include "tests/support/TestFiles.h"

namespace pagora {
namespace {

using namespace testing;

class CodecFiles : public TestFolder {
  protected:
    std::string Read(const std::string& name) const { return ReadText(Path(name)); }
    void Write(const std::string& name, const std::string& text) const {
        WriteText(Path(name), text);
    }
    int32_t ErrorNumber(const std::function<void()>& call) { return CaughtError(call).Number(); }

    clsCompress codec_;
};

TEST_F(CodecFiles, ContainerOfAnEncodedAndAStoredEntry) {
    Write("abc.txt", "abc");
    codec_.EncodeFile(Path("abc.txt"), Path("box.dat"), "1");
    EXPECT_EQ(LastWrittenSize, "19");
    codec_.AddFiles(Path("abc.txt"), Path("box.dat"), "20");
    EXPECT_EQ(LastWrittenSize, "3");
    const std::string box = Read("box.dat");
    ASSERT_EQ(box.size(), 22u);
    EXPECT_EQ(box.substr(19), "abc");
    // A write changes only its range; past the end the file grows, the gap reading as zeros.
    codec_.AddFiles(Path("abc.txt"), Path("box.dat"), " 2 ");
    codec_.AddFiles(Path("abc.txt"), Path("box.dat"), "25");
    EXPECT_EQ(Read("box.dat"),
              box.substr(0, 1) + "abc" + box.substr(4) + std::string(2, '\0') + "abc");

    // A decoded file replaces a longer one whole.
    Write("out1.txt", "a much longer old content");
    std::vector<uint8_t> encoded = Bytes(box.substr(0, 19));
    codec_.DecodeFile(Path("out1.txt"), encoded);
    EXPECT_EQ(Read("out1.txt"), "abc");
    EXPECT_EQ(encoded, Bytes("abc"));
    codec_.ExtractFile(Path("out2.txt"), Bytes(box.substr(19)));
    EXPECT_EQ(Read("out2.txt"), "abc");
}

TEST_F(CodecFiles, MissingOrEmptySourceWritesNothing) {
    LastWrittenSize = "77";
    Write("empty.txt", "");
    for (const auto& [method, source] : {std::pair{&clsCompress::EncodeFile, "EncodeFile"},
                                         std::pair{&clsCompress::AddFiles, "AddFiles"}}) {
        const Error e = CaughtError(
            [&, method = method] { (codec_.*method)(Path("nope"), Path("box.dat"), "1"); });
        EXPECT_EQ(std::tuple(e.Number(), e.Source(), e.Description()),
                  std::tuple(errnum::kComponentError, "clsHuffman." + std::string(source) + "()",
                             "Source file does not exist"));
        EXPECT_EQ(ErrorNumber([&, method = method] {
                      (codec_.*method)(Path("empty.txt"), Path("box.dat"), "1");
                  }),
                  errnum::kSubscriptOutOfRange);
    }
    EXPECT_EQ(ErrorNumber([&] { codec_.EncodeFile(dir_.string(), Path("box.dat"), "1"); }),
              errnum::kComponentError);
    EXPECT_FALSE(fs::exists(Path("box.dat")));
    EXPECT_EQ(LastWrittenSize, "77");
}

TEST_F(CodecFiles, BadPositionsFailAfterSizeAndCreation) {
    Write("abc.txt", "abc");
    EXPECT_EQ(ErrorNumber([&] { codec_.EncodeFile(Path("abc.txt"), Path("box.dat"), "first"); }),
              errnum::kTypeMismatch);
    EXPECT_EQ(LastWrittenSize, "19");
    EXPECT_EQ(Read("box.dat"), "");
    EXPECT_EQ(ErrorNumber([&] { codec_.AddFiles(Path("abc.txt"), Path("box.dat"), "0"); }),
              errnum::kBadRecordNumber);
    EXPECT_EQ(
        ErrorNumber([&] { codec_.AddFiles(Path("abc.txt"), Path("box.dat"), "99999999999"); }),
        errnum::kOverflow);
    EXPECT_EQ(Read("box.dat"), "");
}

TEST_F(CodecFiles, TextWrappersCarryEveryByteValueAndReplaceLongerFilesWhole) {
    std::u16string text;
    std::string bytes;
    for (int k = 0; k < 3 * 256; ++k) {
        text.push_back(static_cast<char16_t>(k % 256));
        bytes.push_back(static_cast<char>(k));
    }
    const std::u16string original = text;
    Write("str.txt", std::string(1000, '#'));
    codec_.EncodeString(text);
    EXPECT_NE(text, original);
    codec_.DecodeString(text, Path("str.txt"));
    EXPECT_EQ(text, original);
    EXPECT_EQ(Read("str.txt"), bytes);
    // Text with a code unit above 255 is refused unchanged.
    text = u"abc\u0628";
    EXPECT_EQ(ErrorNumber([&] { codec_.EncodeString(text); }), errnum::kInvalidArgument);
    EXPECT_EQ(ErrorNumber([&] { codec_.DecodeString(text, Path("never")); }),
              errnum::kInvalidArgument);
    EXPECT_EQ(text, u"abc\u0628");
    EXPECT_FALSE(fs::exists(Path("never")));

    // Empty data decodes to an empty file, not to its own identification.
    std::vector<uint8_t> empty;
    codec_.EncodeByte(empty, 0);
    codec_.DecodeFile(Path("str.txt"), empty);
    EXPECT_EQ(Read("str.txt"), "");
}

TEST_F(CodecFiles, WhatDoesNotDecodeIsNeverWritten) {
    Write("keep.txt", "keep");
    std::vector<uint8_t> bad = {0x48, 0x45, 0x39, 0x0D, 1, 2};
    EXPECT_EQ(ErrorNumber([&] { codec_.DecodeFile(Path("keep.txt"), bad); }),
              errnum::kComponentError);
    std::u16string text = u"HE9\r..";
    EXPECT_EQ(ErrorNumber([&] { codec_.DecodeString(text, Path("keep.txt")); }),
              errnum::kComponentError);
    EXPECT_EQ(text, u"HE9\r..");
    // Plain text is not copied out as if it had been decoded.
    std::vector<uint8_t> plain = Bytes("just some plain text, no stream at all");
    EXPECT_EQ(CaughtError([&] { codec_.DecodeFile(Path("keep.txt"), plain); }).Source(),
              "clsCompress.DecodeFile()");
    EXPECT_EQ(CaughtError([&] { codec_.DecodeFile(Path("new.txt"), plain); }).Number(),
              errnum::kComponentError);
    EXPECT_EQ(Read("keep.txt"), "keep");
    EXPECT_FALSE(fs::exists(Path("new.txt")));
}

TEST_F(CodecFiles, FileErrorsCarryTheirNumbers) {
    EXPECT_EQ(ErrorNumber([&] { codec_.ExtractFile(Path("a.txt/b.txt"), Bytes("q")); }),
              errnum::kFileNotFound);
    if (::geteuid() != 0) {  // root writes anywhere
        fs::create_directories(Path("ro"));
        fs::permissions(Path("ro"), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(ErrorNumber([&] { codec_.ExtractFile(Path("ro/x.txt"), Bytes("q")); }),
                  errnum::kPermissionDenied);
        fs::permissions(Path("ro"), fs::perms::owner_all);
    }
}

}  // namespace
}  // namespace pagora

// Extracting members from archives: finding them by name, and refusing damaged archives
// without reading outside them or leaving bad files behind.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "data/ArchiveWriter.h"
#include "data/Module1.h"
#include "tests/data/DataTestUtil.h"

namespace pagora {
namespace {

using namespace testing;

const std::string kAlpha = "alpha: the first member, with a little text to encode";
const std::string kBeta = std::string(300, 'b') + "beta";
const std::string kGamma = "gamma gamma gamma\r\nlast member";

class ArchiveExtract : public TestFolder {
  protected:
    void SetUp() override {
        TestFolder::SetUp();
        work_ = dir_ / "work";
        fs::create_directories(work_);
        UseWorkingFolder(work_.string());
        archive_ = (dir_ / "order1.dat").string();
    }

    void WriteThree() {
        WriteArchive(archive_,
                     {{"a.txt", Bytes(kAlpha)}, {"b.txt", Bytes(kBeta)}, {"c.txt", Bytes(kGamma)}});
    }

    std::string Extracted(const std::string& name) const { return ReadBytes(work_ / name); }

    // The archive rewritten as `bytes`; extracting `name` must fail with an error naming the
    // archive and must write nothing.
    Error Damaged(const std::string& bytes, const std::string& name = "a.txt") {
        WriteBytes(archive_, bytes);
        Error e = CaughtError([&] { ExtractArchiveMember(archive_, name); });
        EXPECT_NE(e.Description().find(archive_), std::string::npos) << e.Description();
        EXPECT_EQ(e.Source(), "Module1.ExtractArchiveMember()");
        EXPECT_FALSE(fs::exists(work_ / name)) << e.Description();
        return e;
    }

    fs::path work_;
    std::string archive_;
};

TEST_F(ArchiveExtract, FirstMiddleAndLastMember) {
    WriteThree();
    EXPECT_EQ(ExtractArchiveMember(archive_, "a.txt"), "");
    EXPECT_EQ(Extracted("a.txt"), kAlpha);
    EXPECT_EQ(ExtractArchiveMember(archive_, "c.txt"), "");
    EXPECT_EQ(Extracted("c.txt"), kGamma);
    EXPECT_EQ(ExtractArchiveMember(archive_, "b.txt"), "");
    EXPECT_EQ(Extracted("b.txt"), kBeta);
    // Extracting again replaces the file.
    WriteBytes(work_ / "a.txt", std::string(1000, 'x'));
    EXPECT_EQ(ExtractArchiveMember(archive_, "a.txt"), "");
    EXPECT_EQ(Extracted("a.txt"), kAlpha);
}

TEST_F(ArchiveExtract, DocumentedTwoMemberDirectory) {
    // Streams of exactly 120 and 80 bytes give the directory of the format's own example.
    const std::string a = std::string(116, 'A');
    const std::string b = std::string(76, 'B');
    const std::string directory = "2:a.txt:b.txt:0:0:120:80:";
    ASSERT_EQ(directory.size(), 25u);
    WriteBytes(archive_, StoredStream(a) + StoredStream(b) + directory + "25        ");
    EXPECT_EQ(ExtractArchiveMember(archive_, "a.txt"), "");
    EXPECT_EQ(Extracted("a.txt"), a);
    EXPECT_EQ(ExtractArchiveMember(archive_, "b.txt"), "");
    EXPECT_EQ(Extracted("b.txt"), b);
}

TEST_F(ArchiveExtract, BlankPaddedTrailersReadTheSame) {
    WriteThree();
    const std::string written = ReadBytes(archive_);
    const std::string body = written.substr(0, written.size() - 10);
    const size_t directoryLength = std::stoul(written.substr(written.size() - 10));
    for (const std::string& trailer :
         {Trailer(directoryLength, 0), Trailer(directoryLength, 3),
          Trailer(directoryLength, 10 - std::to_string(directoryLength).size()),
          std::to_string(directoryLength) +
              std::string(10 - std::to_string(directoryLength).size(), '\t')}) {
        ASSERT_EQ(trailer.size(), 10u);
        WriteBytes(archive_, body + trailer);
        fs::remove(work_ / "c.txt");
        EXPECT_EQ(ExtractArchiveMember(archive_, "c.txt"), "") << "[" << trailer << "]";
        EXPECT_EQ(Extracted("c.txt"), kGamma) << "[" << trailer << "]";
    }
}

TEST_F(ArchiveExtract, MissingNameWritesNothingAndKeepsAnOlderFile) {
    WriteThree();
    EXPECT_EQ(ExtractArchiveMember(archive_, "d.txt"), "filenotfound");
    EXPECT_FALSE(fs::exists(work_ / "d.txt"));
    WriteBytes(work_ / "e.txt", "kept as it was");
    EXPECT_EQ(ExtractArchiveMember(archive_, "e.txt"), "filenotfound");
    EXPECT_EQ(Extracted("e.txt"), "kept as it was");
    // Part of a name, or names run together, are not a listed name either.
    EXPECT_EQ(ExtractArchiveMember(archive_, "a"), "filenotfound");
    EXPECT_EQ(ExtractArchiveMember(archive_, "a.txt:b.txt"), "filenotfound");
    EXPECT_FALSE(fs::exists(work_ / "a"));
    EXPECT_FALSE(fs::exists(work_ / "a.txt:b.txt"));
}

TEST_F(ArchiveExtract, CaseOnlyMatchIsNotFound) {
    WriteArchive(archive_, {{"Page.txt", Bytes(kAlpha)}, {"001", Bytes(kBeta)}});
    for (const std::string name : {"page.txt", "PAGE.TXT", "Page.TXT"}) {
        EXPECT_EQ(ExtractArchiveMember(archive_, name), "filenotfound") << name;
        EXPECT_FALSE(fs::exists(work_ / name)) << name;
    }
    EXPECT_EQ(ExtractArchiveMember(archive_, "Page.txt"), "");
    EXPECT_EQ(Extracted("Page.txt"), kAlpha);
}

TEST_F(ArchiveExtract, LetterCaseAndOrderDecideBetweenSimilarNames) {
    WriteArchive(
        archive_,
        {{"abc", Bytes("lower")}, {"ABC", Bytes("upper")}, {"abc", Bytes("second lower")}});
    EXPECT_EQ(ExtractArchiveMember(archive_, "ABC"), "");
    EXPECT_EQ(Extracted("ABC"), "upper");
    EXPECT_EQ(ExtractArchiveMember(archive_, "abc"), "");
    EXPECT_EQ(Extracted("abc"), "lower");  // a name listed twice is found at its first place
}

TEST_F(ArchiveExtract, EveryCallReadsTheArchiveAnew) {
    WriteArchive(archive_, {{"001", Bytes("first edition")}});
    EXPECT_EQ(ExtractArchiveMember(archive_, "001"), "");
    EXPECT_EQ(Extracted("001"), "first edition");
    WriteArchive(archive_, {{"000", Bytes("x")}, {"001", Bytes("second edition, longer")}});
    EXPECT_EQ(ExtractArchiveMember(archive_, "001"), "");
    EXPECT_EQ(Extracted("001"), "second edition, longer");
}

TEST_F(ArchiveExtract, ExtractedFileReplacesALinkWithoutFollowingIt) {
    WriteThree();
    const fs::path outside = dir_ / "outside.txt";
    WriteBytes(outside, "not to be touched");
    fs::create_symlink(outside, work_ / "a.txt");
    EXPECT_EQ(ExtractArchiveMember(archive_, "a.txt"), "");
    EXPECT_FALSE(fs::is_symlink(work_ / "a.txt"));
    EXPECT_EQ(Extracted("a.txt"), kAlpha);
    EXPECT_EQ(ReadBytes(outside), "not to be touched");
}

TEST_F(ArchiveExtract, NamesThatAreNotPlainFileNamesAreRefused) {
    WriteArchive(archive_, {{"a.txt", Bytes(kAlpha)}});
    for (const std::string name : {"", ".", "..", "../a.txt", "sub/a.txt", "/tmp/a.txt"}) {
        Error e = CaughtError([&] { ExtractArchiveMember(archive_, name); });
        EXPECT_EQ(e.Number(), errnum::kBadFileName) << name;
    }
    EXPECT_FALSE(fs::exists(dir_ / "a.txt"));
}

TEST_F(ArchiveExtract, MissingOrUnreadableArchiveFails) {
    EXPECT_EQ(CaughtError([&] { ExtractArchiveMember(archive_, "a.txt"); }).Number(),
              errnum::kFileNotFound);
    fs::create_directory(archive_);
    Error e = CaughtError([&] { ExtractArchiveMember(archive_, "a.txt"); });
    EXPECT_NE(e.Description().find(archive_), std::string::npos) << e.Description();
    EXPECT_FALSE(fs::exists(work_ / "a.txt"));
}

TEST_F(ArchiveExtract, DamagedTrailerFails) {
    const std::string stream = EncodedStream(kAlpha);
    const std::string directory = "1:a.txt:0:" + std::to_string(stream.size()) + ":";
    EXPECT_EQ(Damaged("").Number(), errnum::kBadRecordNumber);
    EXPECT_EQ(Damaged("123456789").Number(), errnum::kBadRecordNumber);
    // No digits at the start of the trailer.
    EXPECT_EQ(Damaged(stream + directory + "          ").Number(), errnum::kTypeMismatch);
    EXPECT_EQ(Damaged(stream + directory + "x14       ").Number(), errnum::kTypeMismatch);
    EXPECT_EQ(Damaged(stream + directory + "-14       ").Number(), errnum::kTypeMismatch);
    // A directory that would start before the file does.
    const size_t tooFar = stream.size() + directory.size() + 1;
    EXPECT_EQ(Damaged(stream + directory + Trailer(tooFar)).Number(), errnum::kBadRecordNumber);
    EXPECT_EQ(Damaged(stream + directory + "9999999999").Number(), errnum::kBadRecordNumber);
    EXPECT_EQ(Damaged("0         ").Number(), errnum::kInvalidArgument);  // empty directory
}

TEST_F(ArchiveExtract, DamagedDirectoryFails) {
    const std::string s1 = EncodedStream(kAlpha);
    const std::string s2 = EncodedStream(kGamma);
    const std::string n1 = std::to_string(s1.size());
    const std::string n2 = std::to_string(s2.size());
    const std::string streams = s1 + s2;

    // Fields without their ":".
    EXPECT_EQ(Damaged(Container(streams, "2")).Number(), errnum::kInvalidArgument);
    EXPECT_EQ(Damaged(Container(streams, "5:a.txt:c.txt:")).Number(), errnum::kInvalidArgument);
    EXPECT_EQ(Damaged(Container(streams, "2:a.txt:c.txt:0:0:" + n1)).Number(),
              errnum::kInvalidArgument);
    EXPECT_EQ(Damaged(Container(streams, "2:a.txt:c.txt:0:0:" + n1 + ":" + n2), "c.txt").Number(),
              errnum::kInvalidArgument);
    // Counts and sizes that are not numbers, or negative.
    EXPECT_EQ(Damaged(Container(streams, "two:a.txt:c.txt:0:0:" + n1 + ":" + n2 + ":")).Number(),
              errnum::kTypeMismatch);
    EXPECT_EQ(Damaged(Container(streams, ":a.txt:c.txt:0:0:" + n1 + ":" + n2 + ":")).Number(),
              errnum::kTypeMismatch);
    EXPECT_EQ(Damaged(Container(streams, "-2:a.txt:c.txt:0:0:" + n1 + ":" + n2 + ":")).Number(),
              errnum::kInvalidArgument);
    EXPECT_EQ(
        Damaged(Container(streams, "2:a.txt:c.txt:0:0:x" + n1 + ":" + n2 + ":"), "c.txt").Number(),
        errnum::kTypeMismatch);
    EXPECT_EQ(Damaged(Container(streams, "2:a.txt:c.txt:0:0:-7:" + n2 + ":"), "c.txt").Number(),
              errnum::kInvalidArgument);
    EXPECT_EQ(Damaged(Container(streams, "2:a.txt:c.txt:0:0:99999999999:1:"), "c.txt").Number(),
              errnum::kOverflow);
    // Streams that would lie past the end of the file.
    EXPECT_EQ(Damaged(Container(streams, "2:a.txt:c.txt:0:0:" + n1 + ":100000:"), "c.txt").Number(),
              errnum::kBadRecordNumber);
    EXPECT_EQ(
        Damaged(Container(streams, "2:a.txt:c.txt:0:0:2000000000:2000000000:"), "c.txt").Number(),
        errnum::kBadRecordNumber);

    // The well-formed directory over the same streams extracts both.
    WriteBytes(archive_, Container(streams, "2:a.txt:c.txt:0:0:" + n1 + ":" + n2 + ":"));
    EXPECT_EQ(ExtractArchiveMember(archive_, "c.txt"), "");
    EXPECT_EQ(Extracted("c.txt"), kGamma);
}

TEST_F(ArchiveExtract, ChecksumMismatchLeavesNoFile) {
    WriteThree();
    std::string bytes = ReadBytes(archive_);
    const size_t betaStart = EncodedStream(kAlpha).size();
    bytes[betaStart + 4] ^= 0x01;  // the stream's checksum byte
    WriteBytes(archive_, bytes);
    WriteBytes(work_ / "b.txt", "an older b.txt");

    Error e = CaughtError([&] { ExtractArchiveMember(archive_, "b.txt"); });
    EXPECT_EQ(e.Number(), errnum::kComponentError);
    EXPECT_NE(e.Description().find(archive_), std::string::npos) << e.Description();
    EXPECT_NE(e.Description().find("\"b.txt\""), std::string::npos) << e.Description();
    EXPECT_FALSE(fs::exists(work_ / "b.txt"));
    // The members around it are sound.
    EXPECT_EQ(ExtractArchiveMember(archive_, "c.txt"), "");
    EXPECT_EQ(Extracted("c.txt"), kGamma);
}

TEST_F(ArchiveExtract, CorruptDataBitsAreCaughtByTheChecksum) {
    WriteArchive(archive_, {{"001", Bytes("abcdefgh")}});
    std::string bytes = ReadBytes(archive_);
    const std::string stream = EncodedStream("abcdefgh");
    // Flipping the first data bit turns the first letter into another one.
    bytes[stream.size() - 3] ^= 0x01;
    WriteBytes(archive_, bytes);
    EXPECT_EQ(CaughtError([&] { ExtractArchiveMember(archive_, "001"); }).Number(),
              errnum::kComponentError);
    EXPECT_FALSE(fs::exists(work_ / "001"));
}

TEST_F(ArchiveExtract, UndecodableStreamFailsWithTheDecoderError) {
    const std::string bad = std::string("HE2\r", 4) + "payload";
    WriteBytes(archive_, Container(bad, "1:a.txt:0:" + std::to_string(bad.size()) + ":"));
    WriteBytes(work_ / "a.txt", "older");
    Error e = CaughtError([&] { ExtractArchiveMember(archive_, "a.txt"); });
    EXPECT_EQ(e.Number(), errnum::kComponentError);
    EXPECT_EQ(e.Source(), "HuffmanDecode()");
    EXPECT_EQ(Extracted("a.txt"), "older");
}

TEST(ArchiveExtractWithoutWorkingFolder, FailsInsteadOfWritingElsewhere) {
    // A fresh process, in which no working folder has been set.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            try {
                ExtractArchiveMember("/no/such/archive.dat", "a.txt");
            } catch (const Error& e) {
                std::exit(e.Number() == errnum::kPathNotFound ? 0 : 1);
            }
            std::exit(2);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace pagora

// Extracting members from archives: finding them by name, and refusing damaged archives and
// members without reading outside them or touching the working folder.
#include <gtest/gtest.h>

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
        fs::create_directories(work_);
        UseWorkingFolder(work_.string());
    }

    void WriteThree() {
        WriteArchive(archive_,
                     {{"a.txt", Bytes(kAlpha)}, {"b.txt", Bytes(kBeta)}, {"c.txt", Bytes(kGamma)}});
    }

    std::string Extracted(const std::string& name) const { return ReadText(work_ / name); }

    // The archive rewritten as `bytes`: extracting `name` must fail with an error naming the
    // archive and leave an older file of that name as it was.
    Error Damaged(const std::string& bytes, const std::string& name = "a.txt") {
        WriteText(archive_, bytes);
        WriteText(work_ / name, "older");
        Error e = CaughtError([&] { ExtractArchiveMember(archive_, name); });
        EXPECT_NE(e.Description().find(archive_), std::string::npos) << e.Description();
        EXPECT_NE(e.Description().find("member \"" + name + "\""), std::string::npos)
            << e.Description();
        EXPECT_EQ(e.Source(), "Module1.ExtractArchiveMember()");
        EXPECT_EQ(Extracted(name), "older") << e.Description();
        return e;
    }

    const fs::path work_ = dir_ / "work";
    const std::string archive_ = (dir_ / "order1.dat").string();
};

TEST_F(ArchiveExtract, FirstMiddleAndLastMember) {
    WriteThree();
    WriteText(work_ / "a.txt", std::string(1000, 'x'));
    for (const auto& [name, content] :
         {std::pair{"a.txt", kAlpha}, std::pair{"c.txt", kGamma}, std::pair{"b.txt", kBeta}}) {
        EXPECT_EQ(ExtractArchiveMember(archive_, name), "");
        EXPECT_EQ(Extracted(name), content);
    }
    // Streams of exactly 120 and 80 bytes give the directory of the format's own example.
    WriteText(archive_, StoredStream(std::string(116, 'A')) + StoredStream(std::string(76, 'B')) +
                            "2:a.txt:b.txt:0:0:120:80:25        ");
    for (const std::string name : {"a.txt", "b.txt"}) {
        EXPECT_EQ(ExtractArchiveMember(archive_, name), "");
        EXPECT_EQ(Extracted(name), std::string(name == "a.txt" ? 116 : 76, name[0] - 32));
    }
}

TEST_F(ArchiveExtract, BlankPaddedTrailersReadTheSame) {
    WriteThree();
    const std::string written = ReadText(archive_);
    const std::string body = written.substr(0, written.size() - 10);
    const std::string length = std::to_string(std::stoul(written.substr(written.size() - 10)));
    const std::string pad(10 - length.size(), ' ');
    for (const std::string& trailer :
         {" " + length + pad.substr(1), pad + length, length + std::string(pad.size(), '\t'),
          length + "x" + pad.substr(1)}) {
        WriteText(archive_, body + trailer);
        EXPECT_EQ(ExtractArchiveMember(archive_, "c.txt"), "") << "[" << trailer << "]";
        EXPECT_EQ(Extracted("c.txt"), kGamma) << "[" << trailer << "]";
        fs::remove(work_ / "c.txt");
    }
}

TEST_F(ArchiveExtract, NamesAreFoundOnlyAsListed) {
    WriteArchive(archive_, {{"abc", Bytes("lower")},
                            {"ABC", Bytes("upper")},
                            {"abc", Bytes("second lower")},
                            {"Page.txt", Bytes(kAlpha)}});
    WriteText(work_ / "e.txt", "kept as it was");
    // Not listed, listed only in another letter case, or only part of a name.
    for (const std::string name : {"d.txt", "e.txt", "page.txt", "PAGE.TXT", "ab", "Page"}) {
        EXPECT_EQ(ExtractArchiveMember(archive_, name), "filenotfound") << name;
    }
    EXPECT_EQ(Extracted("e.txt"), "kept as it was");
    EXPECT_EQ(std::distance(fs::directory_iterator(work_), {}), 1);
    EXPECT_EQ(ExtractArchiveMember(archive_, "ABC"), "");
    EXPECT_EQ(Extracted("ABC"), "upper");
    EXPECT_EQ(ExtractArchiveMember(archive_, "abc"), "");
    EXPECT_EQ(Extracted("abc"), "lower");  // a name listed twice is found at its first place
}

TEST_F(ArchiveExtract, EveryCallReadsTheArchiveAnew) {
    for (const std::string edition : {"first edition", "second edition, longer"}) {
        WriteArchive(archive_, {{"000", Bytes("x")}, {"001", Bytes(edition)}});
        EXPECT_EQ(ExtractArchiveMember(archive_, "001"), "");
        EXPECT_EQ(Extracted("001"), edition);
    }
}

TEST_F(ArchiveExtract, NamesThatNoMemberCanHaveAreRefused) {
    WriteArchive(archive_, {{"a.txt", Bytes(kAlpha)}});
    for (const std::string name :
         {"", ".", "..", "../a.txt", "sub/a.txt", "/tmp/a.txt", "a.txt:b.txt"}) {
        EXPECT_EQ(CaughtError([&] { ExtractArchiveMember(archive_, name); }).Number(),
                  errnum::kBadFileName)
            << name;
    }
    EXPECT_TRUE(fs::is_empty(work_));
}

TEST_F(ArchiveExtract, MissingOrUnreadableArchiveFails) {
    EXPECT_EQ(CaughtError([&] { ExtractArchiveMember(archive_, "a.txt"); }).Number(),
              errnum::kFileNotFound);
    fs::create_directory(archive_);
    Error e = CaughtError([&] { ExtractArchiveMember(archive_, "a.txt"); });
    EXPECT_NE(e.Description().find(archive_), std::string::npos) << e.Description();
    EXPECT_TRUE(fs::is_empty(work_));
}

TEST_F(ArchiveExtract, DamagedTrailerFails) {
    const std::string stream = EncodedStream(kAlpha);
    const std::string directory = "1:a.txt:0:" + std::to_string(stream.size()) + ":";
    const std::string body = stream + directory;
    const std::pair<std::string, int32_t> cases[] = {
        {"", errnum::kBadRecordNumber},
        {"123456789", errnum::kBadRecordNumber},
        {body + "          ", errnum::kTypeMismatch},  // no digits at the start
        {body + "x14       ", errnum::kTypeMismatch},
        {body + "-14       ", errnum::kTypeMismatch},
        {body + Trailer(body.size() + 1), errnum::kBadRecordNumber},  // before the file's start
        {body + "9999999999", errnum::kBadRecordNumber},
        {"0         ", errnum::kInvalidArgument},  // an empty directory
    };
    for (const auto& [bytes, number] : cases) {
        EXPECT_EQ(Damaged(bytes).Number(), number) << bytes;
    }
}

TEST_F(ArchiveExtract, DirectoryThatDoesNotHoldTogetherFails) {
    const std::string s1 = EncodedStream(kAlpha);
    const std::string s2 = EncodedStream(kGamma);
    const std::string n1 = std::to_string(s1.size());
    const std::string n2 = std::to_string(s2.size());
    const std::string names = "a.txt:c.txt:0:0:";
    const std::pair<std::string, int32_t> cases[] = {
        // Fields without their ":".
        {"2", errnum::kInvalidArgument},
        {"2:" + names + n1 + ":" + n2, errnum::kInvalidArgument},
        // A count that does not give 3 x N + 1 fields, as from an edited count.
        {"1:" + names + n1 + ":" + n2 + ":", errnum::kInvalidArgument},
        {"3:" + names + n1 + ":" + n2 + ":", errnum::kInvalidArgument},
        {"5:a.txt:c.txt:", errnum::kInvalidArgument},
        // Counts and sizes that are not numbers, or negative.
        {"two:" + names + n1 + ":" + n2 + ":", errnum::kTypeMismatch},
        {":" + names + n1 + ":" + n2 + ":", errnum::kTypeMismatch},
        {"-2:" + names + n1 + ":" + n2 + ":", errnum::kInvalidArgument},
        {"2:" + names + "x" + n1 + ":" + n2 + ":", errnum::kTypeMismatch},
        {"2:" + names + "-7:" + n2 + ":", errnum::kInvalidArgument},
        {"2:" + names + "99999999999:1:", errnum::kOverflow},
        // Sizes that do not add up to where the directory starts, as from an edited size.
        {"2:" + names + std::to_string(s1.size() + 1) + ":" + n2 + ":", errnum::kBadRecordNumber},
        {"2:" + names + n1 + ":100000:", errnum::kBadRecordNumber},
        {"2:" + names + "2000000000:2000000000:", errnum::kBadRecordNumber},
    };
    for (const auto& [directory, number] : cases) {
        EXPECT_EQ(Damaged(Container(s1 + s2, directory), "c.txt").Number(), number) << directory;
        EXPECT_EQ(Damaged(Container(s1 + s2, directory), "a.txt").Number(), number) << directory;
    }
    // The sound directory over the same streams, in the reader's number format.
    WriteText(archive_, Container(s1 + s2, "2.0:" + names + " " + n1 + ":" + n2 + ".4:"));
    EXPECT_EQ(ExtractArchiveMember(archive_, "c.txt"), "");
    EXPECT_EQ(Extracted("c.txt"), kGamma);
    // A directory longer than the reader reads.
    const std::string padded = "1:" + std::string(5000, 'n') + ":0:" + n1 + ":";
    EXPECT_EQ(Damaged(Container(s1, padded)).Number(), errnum::kInvalidArgument);
}

TEST_F(ArchiveExtract, MemberThatIsNoSoundStreamFailsNamingArchiveAndMember) {
    WriteThree();
    const std::string sound = ReadText(archive_);
    const size_t betaAt = EncodedStream(kAlpha).size();
    const size_t betaSize = EncodedStream(kBeta).size();
    auto withBeta = [&](size_t at, const std::string& bytes) {
        std::string damaged = sound;
        damaged.replace(betaAt + at, bytes.size(), bytes);
        return damaged;
    };
    // Plain text in the stream's place, as long as the stream.
    const std::string plain = std::string(betaSize, 'p');
    EXPECT_EQ(Damaged(withBeta(0, plain), "b.txt").Number(), errnum::kComponentError);
    // A length field of 0, a value count that runs the table past the end.
    Damaged(withBeta(5, std::string(4, '\0')), "b.txt");
    Damaged(withBeta(9, "\xFF\x7F"), "b.txt");
    // A checksum or data bits that do not match, and an unknown identification.
    Damaged(withBeta(4, std::string(1, static_cast<char>(sound[betaAt + 4] ^ 1))), "b.txt");
    Damaged(withBeta(betaSize - 3, std::string(1, sound[betaAt + betaSize - 3] ^ 1)), "b.txt");
    Damaged(withBeta(0, "HE2\r"), "b.txt");
    // The members around it are sound.
    EXPECT_EQ(ExtractArchiveMember(archive_, "c.txt"), "");
    EXPECT_EQ(Extracted("c.txt"), kGamma);

    // A stream cut short, one with more after its data and one whose length field says less,
    // each with the directory made to agree.
    const std::string s1 = EncodedStream(kAlpha);
    std::string shorter = s1;
    shorter[5] = static_cast<char>(shorter[5] - 1);
    for (const std::string& stream : {s1.substr(0, s1.size() - 2), s1 + "\x01", shorter}) {
        Damaged(Container(stream, "1:a.txt:0:" + std::to_string(stream.size()) + ":"), "a.txt");
    }
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

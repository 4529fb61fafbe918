// Archives: the writer's exact layout and what it refuses; extracting members by name, and
// refusing damaged archives and members without touching the working folder.
#include <cstdlib>

#include "codec/clsCompress.h"
#include "data/ArchiveWriter.h"
#include "data/Module1.h"
#include "tests/support/TestFiles.h"

namespace pagora {
namespace {

using namespace testing;

// The HE3 stream of `content`, as the codec encodes it in memory.
std::string EncodedStream(const std::string& content) {
    std::vector<uint8_t> bytes = Bytes(content);
    clsCompress().EncodeByte(bytes, static_cast<int32_t>(bytes.size()));
    return Text(bytes);
}

// A stream in the stored form: four identification bytes, then the content unchanged.
std::string StoredStream(const std::string& content) {
    return std::string("HE0\r", 4) + content;
}

// The 10-byte trailer holding `number`.
std::string Trailer(size_t number) {
    std::string t = std::to_string(number);
    t.resize(10, ' ');
    return t;
}

// Streams, directory text and a trailer that gives the directory's true length.
std::string Container(const std::string& streams, const std::string& directory) {
    return streams + directory + Trailer(directory.size());
}

const std::string kAlpha = "alpha: the first member, with a little text to encode";
const std::string kBeta = std::string(300, 'b') + "beta";
const std::string kGamma = "gamma gamma gamma\r\nlast member";

// An archive in a private folder, and a working folder beside it.
class ArchiveTest : public TestFolder {
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

    // The files beside the working folder: the archive alone when nothing was left behind.
    long Files() const { return std::distance(fs::directory_iterator(dir_), {}) - 1; }

    const fs::path work_ = dir_ / "work";
    const std::string archive_ = (dir_ / "order1.dat").string();
};
using ArchiveWriting = ArchiveTest;
using ArchiveExtract = ArchiveTest;

TEST_F(ArchiveWriting, LayoutIsStreamsThenDirectoryThenTrailer) {
    const std::string a = "the first member's text";
    const std::string b = std::string(50, 'z');  // one value repeated: stored form
    const std::string c = "border.html: <table><tr><td>#data#</td></tr></table>";
    WriteArchive(archive_, {{"a.txt", Bytes(a)}, {"b.gif", Bytes(b)}, {"border.html", Bytes(c)}});
    const std::string sa = EncodedStream(a), sb = EncodedStream(b), sc = EncodedStream(c);
    EXPECT_EQ(sb, StoredStream(b));
    EXPECT_EQ(ReadText(archive_),
              Container(sa + sb + sc,
                        "3:a.txt:b.gif:border.html:0:0:0:" + std::to_string(sa.size()) + ":" +
                            std::to_string(sb.size()) + ":" + std::to_string(sc.size()) + ":"));
    EXPECT_EQ(fs::status(archive_).permissions(), fs::perms(0644));
    EXPECT_EQ(Files(), 1);
}

TEST_F(ArchiveWriting, ReplacesALongerFileAndALinkWithoutWritingThroughIt) {
    const std::string stream = EncodedStream("small");
    const std::string expected = Container(stream, "1:x:0:" + std::to_string(stream.size()) + ":");
    WriteText(archive_, std::string(100000, '#'));
    WriteArchive(archive_, {{"x", Bytes("small")}});
    EXPECT_EQ(ReadText(archive_), expected);

    const fs::path target = dir_ / "target.dat";
    WriteText(target, "someone else's file");
    fs::remove(archive_);
    fs::create_symlink(target, archive_);
    WriteArchive(archive_, {{"x", Bytes("small")}});
    EXPECT_FALSE(fs::is_symlink(archive_));
    EXPECT_EQ(ReadText(target), "someone else's file");
    EXPECT_EQ(ReadText(archive_), expected);
}

TEST_F(ArchiveWriting, ArchiveWithoutMembers) {
    WriteArchive(archive_, {});
    EXPECT_EQ(ReadText(archive_), "0:" + Trailer(2));
    EXPECT_EQ(ExtractArchiveMember(archive_, "0"), "filenotfound");
}

TEST_F(ArchiveWriting, RefusesWhatTheReaderCouldNotFindAgain) {
    WriteArchive(archive_, {{"kept.txt", Bytes("the archive as it was")}});
    const std::string before = ReadText(archive_);
    const std::vector<std::vector<ArchiveMember>> refused = {
        {{"a:b", Bytes("x")}}, {{"ok", Bytes("x")}, {"", Bytes("y")}}, {{"sub/a", Bytes("x")}},
        {{"..", Bytes("x")}},  {{std::string("a\0b", 3), Bytes("x")}}, {{"empty", {}}},
    };
    for (const auto& members : refused) {
        Error e = CaughtError([&] { WriteArchive(archive_, members); });
        EXPECT_NE(e.Description().find(archive_), std::string::npos) << e.Description();
        EXPECT_EQ(e.Source(), "ArchiveWriter.WriteArchive()");
    }
    EXPECT_EQ(CaughtError([&] { WriteArchive(archive_, refused[0]); }).Number(),
              errnum::kBadFileName);
    // 400 names of eight characters need a directory of over 5000 bytes; 330 names are just
    // under the limit by names alone, over it once the sizes are in.
    std::vector<ArchiveMember> many, borderline;
    for (int k = 0; k < 400; ++k) {
        many.push_back({"page" + std::to_string(1000 + k), Bytes("v")});
    }
    for (int k = 0; k < 330; ++k) {
        borderline.push_back(
            {"pg" + std::to_string(100000 + k), Bytes(std::string(9999, 'a') + "b")});
    }
    for (const auto& members : {many, borderline}) {
        Error e = CaughtError([&] { WriteArchive(archive_, members); });
        EXPECT_EQ(e.Number(), errnum::kInvalidArgument);
        EXPECT_NE(e.Description().find("5000"), std::string::npos) << e.Description();
    }
    EXPECT_EQ(ReadText(archive_), before);
    EXPECT_EQ(Files(), 1);
    EXPECT_EQ(CaughtError([&] {
                  WriteArchive((dir_ / "no-such-folder" / "order0.dat").string(), {{"1", {1}}});
              }).Number(),
              errnum::kFileNotFound);
}

TEST_F(ArchiveWriting, DirectoryOfExactly5000BytesIsWritten) {
    // Names padded so that count, names, second list and sizes add up to 5000 bytes.
    std::vector<ArchiveMember> members;
    const std::string content = "ab";
    const size_t perMember = 2 + std::to_string(EncodedStream(content).size()).size() + 1;
    const size_t n = 250;  // "0:" and the size with its ":" per member
    size_t room = 5000 - (std::to_string(n).size() + 1) - n * perMember;
    for (size_t k = 0; k < n; ++k) {
        const size_t nameLength = room / (n - k) - 1;
        room -= nameLength + 1;
        std::string name = std::to_string(k);
        name.resize(nameLength, 'n');
        members.push_back({name, Bytes(content)});
    }
    WriteArchive(archive_, members);
    const std::string bytes = ReadText(archive_);
    EXPECT_EQ(bytes.substr(bytes.size() - 10), Trailer(5000));
    EXPECT_EQ(ExtractArchiveMember(archive_, members.back().name), "");
    EXPECT_EQ(Extracted(members.back().name), content);
}

TEST_F(ArchiveExtract, FirstMiddleAndLastMember) {
    WriteThree();
    WriteText(work_ / "a.txt", std::string(1000, 'x'));
    for (const auto& [name, content] :
         {std::pair{"a.txt", kAlpha}, std::pair{"c.txt", kGamma}, std::pair{"b.txt", kBeta}}) {
        EXPECT_EQ(ExtractArchiveMember(archive_, name), "");
        EXPECT_EQ(Extracted(name), content);
    }
    // Streams of exactly 120 and 80 bytes give the directory of the format's own example; every
    // call reads the archive anew.
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
    const std::string s1 = EncodedStream(kAlpha), s2 = EncodedStream(kGamma);
    const std::string n1 = std::to_string(s1.size()), n2 = std::to_string(s2.size());
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
    const size_t betaAt = EncodedStream(kAlpha).size(), betaSize = EncodedStream(kBeta).size();
    auto withBeta = [&](size_t at, const std::string& bytes) {
        std::string damaged = sound;
        damaged.replace(betaAt + at, bytes.size(), bytes);
        return damaged;
    };
    // Plain text in the stream's place, as long as the stream.
    EXPECT_EQ(Damaged(withBeta(0, std::string(betaSize, 'p')), "b.txt").Number(),
              errnum::kComponentError);
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

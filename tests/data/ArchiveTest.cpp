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

    // Extracting `name` from `bytes` must fail, naming archive and member, keeping the older file.
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
    // Without members: the count alone.
    WriteArchive(archive_, {});
    EXPECT_EQ(ReadText(archive_), "0:" + Trailer(2));
    EXPECT_EQ(ExtractArchiveMember(archive_, "0"), "filenotfound");
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

TEST_F(ArchiveWriting, RefusesWhatTheReaderCouldNotFindAgain) {
    WriteArchive(archive_, {{"kept.txt", Bytes("the archive as it was")}});
    const std::string before = ReadText(archive_);
    const std::vector<std::vector<ArchiveMember>> refused = {
        {{"a:b", Bytes("x")}},
        {{"ok", Bytes("x")}, {"", Bytes("y")}},
        {{std::string("a\0b", 3), Bytes("x")}},
        {{"empty", {}}},
    };
    for (const auto& members : refused) {
        Error e = CaughtError([&] { WriteArchive(archive_, members); });
        EXPECT_NE(e.Description().find(archive_), std::string::npos) << e.Description();
        EXPECT_EQ(e.Source(), "ArchiveWriter.WriteArchive()");
    }
    EXPECT_EQ(CaughtError([&] { WriteArchive(archive_, refused[0]); }).Number(),
              errnum::kBadFileName);
    EXPECT_EQ(ReadText(archive_), before);
    EXPECT_EQ(CaughtError([&] {
                  WriteArchive((dir_ / "no-such-folder" / "order0.dat").string(), {{"1", {1}}});
              }).Number(),
              errnum::kFileNotFound);
}

TEST_F(ArchiveWriting, DirectoryOfUpTo5000BytesIsWritten) {
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
    const std::string written = ReadText(archive_);
    EXPECT_EQ(written.substr(written.size() - 10), Trailer(5000));
    EXPECT_EQ(ExtractArchiveMember(archive_, members.back().name), "");
    EXPECT_EQ(Extracted(members.back().name), content);
    // One byte more is refused once the sizes are known; 400 names of eight characters before.
    members[0].name += "n";
    std::vector<ArchiveMember> many;
    for (int k = 0; k < 400; ++k) {
        many.push_back({"page" + std::to_string(1000 + k), Bytes("v")});
    }
    for (const auto& refused : {members, many}) {
        Error e = CaughtError([&] { WriteArchive(archive_, refused); });
        EXPECT_EQ(e.Number(), errnum::kInvalidArgument);
        EXPECT_NE(e.Description().find("5000"), std::string::npos) << e.Description();
    }
    EXPECT_EQ(ReadText(archive_), written);
    EXPECT_EQ(Files(), 1);
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

TEST_F(ArchiveExtract, NamesAreFoundOnlyAsListed) {
    WriteArchive(archive_, {{"abc", Bytes("lower")},
                            {"ABC", Bytes("upper")},
                            {"abc", Bytes("second lower")},
                            {"Page.txt", Bytes(kAlpha)}});
    WriteText(work_ / "e.txt", "kept as it was");
    // Not listed, listed only in another letter case, or only part of a name.
    for (const std::string name : {"e.txt", "page.txt", "ab"}) {
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
    for (const std::string name : {"", ".", "..", "../a.txt", "a.txt:b.txt"}) {
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

TEST_F(ArchiveExtract, DamagedTrailerOrDirectoryFails) {
    const std::string s1 = EncodedStream(kAlpha), s2 = EncodedStream(kGamma);
    const std::string n1 = std::to_string(s1.size()), n2 = std::to_string(s2.size());
    const std::string names = "a.txt:c.txt:0:0:";
    auto two = [&](const std::string& directory) { return Container(s1 + s2, directory); };
    const std::string body = s1 + s2 + "2:" + names + n1 + ":" + n2 + ":";
    const std::pair<std::string, int32_t> cases[] = {
        // Trailers too short, without leading digits, before the file's start, or of no directory.
        {"", errnum::kBadRecordNumber},
        {"123456789", errnum::kBadRecordNumber},
        {body + "          ", errnum::kTypeMismatch},
        {body + "x14       ", errnum::kTypeMismatch},
        {body + Trailer(body.size() + 1), errnum::kBadRecordNumber},
        {"0         ", errnum::kInvalidArgument},
        // Fields without their ":".
        {two("2"), errnum::kInvalidArgument},
        {two("2:" + names + n1 + ":" + n2), errnum::kInvalidArgument},
        // A count that does not give 3 x N + 1 fields, as from an edited count.
        {two("1:" + names + n1 + ":" + n2 + ":"), errnum::kInvalidArgument},
        {two("3:" + names + n1 + ":" + n2 + ":"), errnum::kInvalidArgument},
        // Counts and sizes that are not numbers, negative or too large.
        {two("two:" + names + n1 + ":" + n2 + ":"), errnum::kTypeMismatch},
        {two("-2:" + names + n1 + ":" + n2 + ":"), errnum::kInvalidArgument},
        {two("2:" + names + "99999999999:1:"), errnum::kOverflow},
        // Sizes that do not add up to where the directory starts, as from an edited size.
        {two("2:" + names + std::to_string(s1.size() + 1) + ":" + n2 + ":"),
         errnum::kBadRecordNumber},
        {two("2:" + names + "2000000000:2000000000:"), errnum::kBadRecordNumber},
        // A directory longer than the reader reads.
        {Container(s1, "1:" + std::string(5000, 'n') + ":0:" + n1 + ":"), errnum::kInvalidArgument},
    };
    for (const auto& [bytes, number] : cases) {
        EXPECT_EQ(Damaged(bytes, "c.txt").Number(), number) << bytes;
        EXPECT_EQ(Damaged(bytes, "a.txt").Number(), number) << bytes;
    }
    // Sound: numbers in the reader's format, the length right-aligned or followed by other text.
    const std::string sound = "2.0:" + names + " " + n1 + ":" + n2 + ".4:";
    const std::string length = std::to_string(sound.size());
    for (const std::string& trailer : {std::string(10 - length.size(), ' ') + length,
                                       length + "x" + std::string(9 - length.size(), ' ')}) {
        WriteText(archive_, s1 + s2 + sound + trailer);
        EXPECT_EQ(ExtractArchiveMember(archive_, "c.txt"), "") << "[" << trailer << "]";
        EXPECT_EQ(Extracted("c.txt"), kGamma) << "[" << trailer << "]";
    }
}

TEST_F(ArchiveExtract, MemberThatIsNoSoundStreamFailsNamingArchiveAndMember) {
    WriteThree();
    const size_t betaAt = EncodedStream(kAlpha).size(), betaSize = EncodedStream(kBeta).size();
    // Plain text in the stream's place, as long as the stream; a checksum that does not match.
    std::string plain = ReadText(archive_), wrongSum = plain;
    plain.replace(betaAt, betaSize, std::string(betaSize, 'p'));
    wrongSum[betaAt + 4] ^= 1;
    for (const std::string& bytes : {plain, wrongSum}) {
        EXPECT_EQ(Damaged(bytes, "b.txt").Number(), errnum::kComponentError);
    }
    // The members around it are sound.
    EXPECT_EQ(ExtractArchiveMember(archive_, "c.txt"), "");
    EXPECT_EQ(Extracted("c.txt"), kGamma);
    // A stream cut short and one with more after its data, with the directory made to agree.
    const std::string s1 = EncodedStream(kAlpha);
    for (const std::string& stream : {s1.substr(0, s1.size() - 2), s1 + "\x01"}) {
        Damaged(Container(stream, "1:a.txt:0:" + std::to_string(stream.size()) + ":"), "a.txt");
    }
}

TEST(ArchiveExtractWithoutWorkingFolder, FailsInsteadOfWritingElsewhere) {
    // A fresh process, in which no working folder has been set.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto extract = [] { ExtractArchiveMember("/no/such/archive.dat", "a.txt"); };
    EXPECT_EXIT(std::exit(CaughtError(extract).Number() == errnum::kPathNotFound ? 0 : 1),
                ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace pagora

// Writing archives: the exact container layout, deterministic output, safe replacement, and
// refusal of what the reader could not find again.
#include <gtest/gtest.h>

#include "data/ArchiveWriter.h"
#include "data/Module1.h"
#include "tests/data/DataTestUtil.h"

namespace pagora {
namespace {

using namespace testing;

class ArchiveWriting : public TestFolder {
  protected:
    // The files in the test folder: the archive alone when nothing was left behind.
    long Files() const { return std::distance(fs::directory_iterator(dir_), {}); }

    const std::string archive_ = (dir_ / "support.dat").string();
};

TEST_F(ArchiveWriting, LayoutIsStreamsThenDirectoryThenTrailer) {
    const std::string a = "the first member's text";
    const std::string b = std::string(50, 'z');  // one value repeated: stored form
    const std::string c = "border.html: <table><tr><td>#data#</td></tr></table>";
    WriteArchive(archive_, {{"a.txt", Bytes(a)}, {"b.gif", Bytes(b)}, {"border.html", Bytes(c)}});

    const std::string sa = EncodedStream(a);
    const std::string sb = EncodedStream(b);
    const std::string sc = EncodedStream(c);
    EXPECT_EQ(sb, StoredStream(b));
    const std::string directory = "3:a.txt:b.gif:border.html:0:0:0:" + std::to_string(sa.size()) +
                                  ":" + std::to_string(sb.size()) + ":" +
                                  std::to_string(sc.size()) + ":";
    EXPECT_EQ(ReadText(archive_), sa + sb + sc + directory + Trailer(directory.size()));
    EXPECT_EQ(fs::status(archive_).permissions(), fs::perms(0644));
    EXPECT_EQ(Files(), 1);
}

TEST_F(ArchiveWriting, SameMembersGiveTheSameBytes) {
    std::vector<ArchiveMember> members;
    for (int k = 1; k <= 20; ++k) {
        std::string text(40 * k, 'a');
        for (size_t j = 0; j < text.size(); ++j) {
            text[j] += static_cast<char>((j * k) % 23);
        }
        members.push_back({std::to_string(100 + k), Bytes(text)});
    }
    WriteArchive(archive_, members);
    WriteArchive((dir_ / "again.dat").string(), members);
    EXPECT_EQ(ReadText(dir_ / "again.dat"), ReadText(archive_));
}

TEST_F(ArchiveWriting, ReplacesALongerFileAndALinkWithoutWritingThroughIt) {
    WriteText(archive_, std::string(100000, '#'));
    WriteArchive(archive_, {{"x", Bytes("small")}});
    const std::string stream = EncodedStream("small");
    const std::string directory = "1:x:0:" + std::to_string(stream.size()) + ":";
    EXPECT_EQ(ReadText(archive_), stream + directory + Trailer(directory.size()));

    const fs::path target = dir_ / "target.dat";
    WriteText(target, "someone else's file");
    fs::remove(archive_);
    fs::create_symlink(target, archive_);
    WriteArchive(archive_, {{"x", Bytes("small")}});
    EXPECT_FALSE(fs::is_symlink(archive_));
    EXPECT_EQ(ReadText(target), "someone else's file");
    EXPECT_EQ(ReadText(archive_), stream + directory + Trailer(directory.size()));
}

TEST_F(ArchiveWriting, ArchiveWithoutMembers) {
    WriteArchive(archive_, {});
    EXPECT_EQ(ReadText(archive_), "0:" + Trailer(2));
    UseWorkingFolder(dir_.string());
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

    // 400 names of eight characters need a directory of over 5000 bytes.
    std::vector<ArchiveMember> many;
    for (int k = 0; k < 400; ++k) {
        many.push_back({"page" + std::to_string(1000 + k), Bytes("v")});
    }
    EXPECT_EQ(CaughtError([&] { WriteArchive(archive_, many); }).Number(),
              errnum::kInvalidArgument);
    // Just under the limit by names alone, over it once the sizes are in.
    std::vector<ArchiveMember> borderline;
    for (int k = 0; k < 330; ++k) {
        borderline.push_back(
            {"pg" + std::to_string(100000 + k), Bytes(std::string(9999, 'a') + "b")});
    }
    Error e = CaughtError([&] { WriteArchive(archive_, borderline); });
    EXPECT_EQ(e.Number(), errnum::kInvalidArgument);
    EXPECT_NE(e.Description().find("5000"), std::string::npos) << e.Description();

    EXPECT_EQ(ReadText(archive_), before);
    EXPECT_EQ(Files(), 1);
}

TEST_F(ArchiveWriting, DirectoryOfExactly5000BytesIsWritten) {
    // Names padded so that count, names, second list and sizes add up to 5000 bytes.
    std::vector<ArchiveMember> members;
    const std::string content = "ab";
    const std::string size = std::to_string(EncodedStream(content).size());
    const size_t perMember = 2 + size.size() + 1;  // "0:" and the size with its ":"
    const size_t n = 250;
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
    UseWorkingFolder(dir_.string());
    EXPECT_EQ(ExtractArchiveMember(archive_, members.back().name), "");
    EXPECT_EQ(ReadText(dir_ / members.back().name), content);
}

TEST_F(ArchiveWriting, MissingFolderFails) {
    const std::string path = (dir_ / "no-such-folder" / "order0.dat").string();
    EXPECT_EQ(CaughtError([&] {
                  WriteArchive(path, {{"001", Bytes("x")}});
              }).Number(),
              errnum::kFileNotFound);
}

}  // namespace
}  // namespace pagora

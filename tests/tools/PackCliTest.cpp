// The pagora-pack command line: its answers to good and bad requests; and verify, which must
// catch archives that would mislead the reader.

#include <gmock/gmock.h>

#include <QProcess>
#include <functional>
#include <nlohmann/json.hpp>
#include <tuple>

#include "data/ArchiveFormat.h"
#include "data/ArchiveWriter.h"
#include "tests/tools/ToolsTestUtil.h"
#include "tools/Build.h"
#include "tools/PageText.h"
#include "tools/Verify.h"

namespace pagora::pack {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// Runs pagora-pack and gives its exit status and its stdout and stderr together.
std::pair<int, std::string> RunPack(const std::vector<std::string>& args) {
    QStringList arguments;
    for (const std::string& a : args) {
        arguments << QString::fromStdString(a);
    }
    QProcess pack;
    pack.setProcessChannelMode(QProcess::MergedChannels);
    pack.start(QStringLiteral(PAGORA_PACK_EXE), arguments);
    const bool ended = pack.waitForFinished(120000) && pack.exitStatus() == QProcess::NormalExit;
    return {ended ? pack.exitCode() : -1, pack.readAll().toStdString()};
}

// Success when pagora-pack exits with `status` and its output holds each of `texts`.
::testing::AssertionResult Pack(const std::vector<std::string>& args, int status,
                                const std::vector<std::string>& texts = {}) {
    const auto [exit, output] = RunPack(args);
    bool ok = exit == status;
    for (const std::string& text : texts) {
        ok = ok && output.find(text) != std::string::npos;
    }
    return ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << output;
}

TEST(PackCliTest, HelpAndBadCommandLines) {
    EXPECT_TRUE(Pack({"--help"}, 0, {"Usage: pagora-pack COMMAND", "verify DIR"}));
    for (const char* bad : {"", "frobnicate", "build", "build --out", "build --out x --colour red",
                            "list", "extract support.dat", "encode only-one", "verify"}) {
        std::vector<std::string> args;
        for (const QString& word : QString(bad).split(' ', Qt::SkipEmptyParts)) {
            args.push_back(word.toStdString());
        }
        EXPECT_TRUE(Pack(args, 2, {"Try 'pagora-pack --help'"})) << bad;
    }
}

TEST(PackCliTest, ListShowsEveryMemberWithItsDecodedSizeAndRefusesBrokenArchives) {
    // surat.txt decodes to the four code units of the marker: 8 bytes.
    const auto [status, out] = RunPack({"list", kArchives + "/support.dat"});
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("17 members"), std::string::npos) << out;
    const size_t at = out.find("\nsurat.txt ") + 1;
    const std::string line = out.substr(at, out.find('\n', at) - at);
    EXPECT_EQ(line.substr(line.find_last_not_of(' ') - 1), " 8") << line;
    TempDir tmp;
    EXPECT_TRUE(Pack({"list", tmp / "nothing.dat"}, 1, {"nothing.dat"}));
    WriteBytes(tmp / "junk.dat", std::vector<uint8_t>(40, 'z'));
    EXPECT_TRUE(Pack({"list", tmp / "junk.dat"}, 1, {"junk.dat is damaged"}));
    EXPECT_TRUE(
        Pack({"extract", tmp / "nothing.dat", "001", "--to", tmp.Path()}, 1, {"no archive"}));
}

TEST(PackCliTest, ExtractWritesTheMemberAndRefusesOthers) {
    TempDir tmp;
    const std::string order2 = kArchives + "/order2.dat", support = kArchives + "/support.dat";
    EXPECT_TRUE(Pack({"extract", order2, "002", "012", "--to", tmp.Path()}, 0));
    EXPECT_TRUE(ReadBytes(tmp / "002") == PageMember(Sources(), 2));
    EXPECT_TRUE(ReadBytes(tmp / "012") == PageMember(Sources(), 12));
    EXPECT_TRUE(Pack({"extract", order2, "003", "--to", tmp.Path()}, 1,
                     {order2 + " has no member \"003\""}));
    EXPECT_FALSE(fs::exists(tmp / "003"));
    EXPECT_TRUE(Pack({"extract", support, "../surat.txt", "--to", tmp.Path()}, 2));
    EXPECT_TRUE(Pack({"extract", support, "surat.txt", "--to", tmp / "absent"}, 1, {"no folder"}));
    // A damaged member (the member count edited; the kinds of damage are the data layer's tests).
    std::string bytes = ReadText(order2);
    bytes.replace(bytes.size() - 10 - std::stoul(bytes.substr(bytes.size() - 10)), 3, "60:");
    WriteText(tmp / "order2.dat", bytes);
    EXPECT_TRUE(Pack({"extract", tmp / "order2.dat", "002", "--to", tmp.Path()}, 1,
                     {tmp / "order2.dat", "member \"002\""}));
}

TEST(PackCliTest, EncodeDecodeRoundTripAndCorruptStream) {
    TempDir tmp;
    const std::vector<uint8_t> page = PageMember(Sources(), 77);
    WriteBytes(tmp / "in", page);
    ASSERT_TRUE(Pack({"encode", tmp / "in", tmp / "he3"}, 0));
    ASSERT_TRUE(Pack({"decode", tmp / "he3", tmp / "out"}, 0));
    EXPECT_TRUE(ReadBytes(tmp / "out") == page);
    EXPECT_LT(fs::file_size(tmp / "he3"), page.size());

    std::vector<uint8_t> stream = ReadBytes(tmp / "he3");
    stream[stream.size() - 20] ^= 0x24;
    WriteBytes(tmp / "bad", stream);
    EXPECT_TRUE(Pack({"decode", tmp / "bad", tmp / "bad-out"}, 1, {"is a corrupt stream"}));
    // Plain text is no stream: nothing is copied out as if decoded.
    EXPECT_TRUE(Pack({"decode", tmp / "in", tmp / "plain-out"}, 1, {"not an HE3 stream"}));
    WriteBytes(tmp / "empty", {});
    EXPECT_TRUE(Pack({"encode", tmp / "empty", tmp / "x"}, 1));
    for (const char* never : {"bad-out", "plain-out", "x"}) {
        EXPECT_FALSE(fs::exists(tmp / never)) << never;
    }
}

TEST(PackCliTest, BuildIsReproducibleAndVerifies) {
    TempDir tmp;
    ASSERT_TRUE(Pack({"build", "--out", tmp.Path(), "--node-modules", PAGORA_NODE_MODULES, "--meta",
                      PAGORA_LAYOUT_JSON},
                     0, {"3518 verses changed"}));
    for (const std::string& name : ArchiveFileNames()) {
        EXPECT_TRUE(ReadBytes(tmp / name) == ReadBytes(kArchives + "/" + name)) << name;
    }
    EXPECT_TRUE(Pack({"verify", tmp.Path(), "--meta", PAGORA_LAYOUT_JSON}, 0,
                     {"621 members decoded, 604 pages and 6236 verses checked against the "
                      "sources: all good",
                      "6236 verses with Unicode open tanween"}));
}

TEST(PackCliTest, AnotherQuranTextIsRefused) {
    // The packages with one mark more in one verse (the check itself is MushafSourcesTest's).
    TempDir packages;
    for (const std::string name : {"quran-json", "quran-meta"}) {
        fs::create_directories(packages / name + "/dist");
        fs::copy_file(std::string(PAGORA_NODE_MODULES) + "/" + name + "/package.json",
                      packages / name + "/package.json");
    }
    nlohmann::json text = nlohmann::json::parse(
        ReadText(std::string(PAGORA_NODE_MODULES) + "/quran-json/dist/quran.json"));
    text[1]["verses"][1]["text"] = text[1]["verses"][1]["text"].get<std::string>() + "\u064E";
    WriteText(packages / "quran-json/dist/quran.json", text.dump());
    EXPECT_TRUE(Pack({"build", "--out", packages.Path(), "--node-modules", packages.Path(),
                      "--meta", PAGORA_LAYOUT_JSON},
                     1,
                     {"quran-json 3.1.2: the SHA-256 of the verse text is", "must be reviewed"}));
    EXPECT_FALSE(fs::exists(packages / "support.dat"));
}

class VerifyFaultsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const std::string& name : ArchiveFileNames()) {
            fs::copy_file(kArchives + "/" + name, dir_ / name);
        }
    }

    // Rewrites page `page` of its page archive with `edit` applied to its text.
    void EditPage(int page, const std::function<void(std::u16string&)>& edit) {
        const int digit = page % 10;
        std::vector<ArchiveMember> members = PageArchiveMembers(Sources(), digit);
        for (ArchiveMember& m : members) {
            if (m.name == PageKey(page)) {
                std::u16string text = FromUtf16Le(m.content);
                edit(text);
                m.content = ToUtf16Le(text);
            }
        }
        WriteArchive(dir_ / ("order" + std::to_string(digit) + ".dat"), members);
    }

    void EditSupport(const std::string& name, const std::function<void(std::string&)>& edit) {
        std::vector<ArchiveMember> members = SupportMembers(Sources(), PAGORA_NODE_MODULES);
        for (ArchiveMember& m : members) {
            if (m.name == name) {
                std::string text = Text(m.content);
                edit(text);
                m.content = Bytes(text);
            }
        }
        WriteArchive(dir_ / "support.dat", members);
    }

    // True when verification reports a problem containing `text`.
    ::testing::AssertionResult Reports(const std::string& text, bool withSources = false) {
        const auto problems =
            VerifyArchives(dir_.Path(), withSources ? &Sources() : nullptr).problems;
        return ::testing::Value(problems, ::testing::Contains(::testing::HasSubstr(text)))
                   ? ::testing::AssertionSuccess()
                   : ::testing::AssertionFailure() << ::testing::PrintToString(problems);
    }

    TempDir dir_;
};

TEST_F(VerifyFaultsTest, PageTextsThatWouldMisleadTheReader) {
    const std::tuple<int, std::function<void(std::u16string&)>, std::string, bool> cases[] = {
        {2, [](std::u16string& t) { t.erase(t.rfind(u"\r\n")); },  // drop 2:5
         "page 003: first verse is 2:5", false},
        {3, [](std::u16string& t) { t.back() = u'\u0669'; }, "page 003: verse number", false},
        {3, [](std::u16string& t) { t.insert(0, kSuraMarker); },
         "page 003: a sura header (or a verse holding the marker)", false},
        {4, [](std::u16string& t) { t += u"\r\n"; }, "page 004: ends with CR LF", false},
        {4, [](std::u16string& t) { t.insert(0, u"7"); }, "page 004: a digit outside a verse",
         false},
        {5, [](std::u16string& t) { t.insert(0, u"x"); }, "differs from the source", true},
    };
    for (const auto& [page, edit, problem, withSources] : cases) {
        EditPage(page, edit);
        EXPECT_TRUE(Reports(problem, withSources));
        EditPage(page, [](std::u16string&) {});  // the archive as built again
    }
}

TEST_F(VerifyFaultsTest, PrivateTanweenOrABreakBeforeTheNumber) {
    EditPage(6, [](std::u16string& t) { t.insert(0, u"\u0657"); });
    EXPECT_TRUE(Reports("writes open tanween with quran-json's private marks"));
    EditPage(6, [](std::u16string& t) { t[t.find(u'\u00A0')] = u' '; });
    EXPECT_TRUE(Reports("follows a breaking space and may start a line"));
    EXPECT_EQ(VerifyArchives(dir_.Path(), nullptr).versesInMushafForm, 6235);
}

TEST_F(VerifyFaultsTest, SupportMembersThatDisagreeWithThePagesOrTheSources) {
    EditSupport("quranpageindex.txt",
                [](std::string& t) { t.replace(t.find("\n50\r"), 4, "\n51\r"); });
    EXPECT_TRUE(Reports("quranpageindex.txt: sura 3 begins on page 50, the table says 51"));
    EditSupport("verse-count.txt", [](std::string& t) { t = "7\r\n286"; });
    EXPECT_TRUE(Reports("verse-count.txt: 2 entries, expected 114"));
    // Counts that still add up to 6,236 but move a verse from sura 2 to sura 1.
    EditSupport("verse-count.txt", [](std::string& t) { t.replace(0, 6, "8\r\n285"); });
    EXPECT_TRUE(Reports("verse-count.txt: sura 1 has 8 verses, the source 7", true));
    EditSupport("juzpageindex.txt",
                [](std::string& t) { t.replace(t.find("\n22\r"), 4, "\n23\r"); });
    EXPECT_TRUE(
        Reports("juzpageindex.txt: juz 2 begins at 2:142 on page 22, the table says 23", true));
    // A frame without the page's placeholder.
    EditSupport("border.html", [](std::string& t) {
        t = "<table><tr><td>##imagepath##top.gif</td></tr></table>";
    });
    EXPECT_TRUE(Reports("\"#data#\" 0 times"));
    EXPECT_TRUE(Reports("does not refer to left_top.gif"));
}

TEST_F(VerifyFaultsTest, CorruptStreamAndMissingArchive) {
    const ArchiveEntry e =
        ReadArchiveDirectory(dir_ / "order5.dat", DirectoryReading::kStrict, "test").entries[3];
    std::vector<uint8_t> bytes = ReadBytes(dir_ / "order5.dat");
    bytes[static_cast<size_t>(e.offset + e.size / 2)] ^= 0x5A;
    WriteBytes(dir_ / "order5.dat", bytes);
    EXPECT_TRUE(Reports("order5.dat: member \"035\""));

    fs::remove(dir_ / "order7.dat");
    EXPECT_TRUE(Reports("order7.dat"));
}

TEST_F(VerifyFaultsTest, ListAndVerifyEscapeControlCharactersInNames) {
    const std::string hostile = "\x1B]0;owned\x07\x1B[2J";
    WriteArchive(dir_ / "order3.dat", {{hostile, Bytes("a")}, {hostile, Bytes("b")}});
    const auto list = RunPack({"list", dir_ / "order3.dat"});
    const auto verify = RunPack({"verify", dir_.Path(), "--no-sources"});
    EXPECT_EQ(verify.first, 1);
    for (const std::string& out : {list.second, verify.second}) {
        EXPECT_EQ(out.find('\x1B'), std::string::npos) << out;
        EXPECT_NE(out.find("\\x1B]0;owned\\x07\\x1B[2J"), std::string::npos) << out;
    }
}

TEST_F(VerifyFaultsTest, MalformedDirectories) {
    const std::pair<std::string, std::string> damaged[] = {
        {"abc:      abcdefghij", "hold no directory length"},
        {"1:a:0:3:   99999    ", "would start before the start of the file"},
        {"1:a:0:x:8         ", "the stored size of member 1 \"x\" is not a number"},
        {"1:a/b:0:0:10        ", "\"a/b\" of member 1 is not a plain file name"},
        {"1:" + std::string(5000, 'n') + ":0:0:5007      ",
         "does not fit the reader's 5000-byte buffer"},
    };
    for (const auto& [bytes, problem] : damaged) {
        WriteText(dir_ / "order1.dat", bytes);
        EXPECT_TRUE(Reports(problem)) << bytes;
    }
}

}  // namespace
}  // namespace pagora::pack

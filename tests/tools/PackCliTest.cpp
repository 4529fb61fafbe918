// The pagora-pack command line: its answers to good and bad requests.

#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

#include "data/ArchiveFormat.h"
#include "data/ArchiveWriter.h"
#include "tests/tools/ToolsTestUtil.h"
#include "tools/Build.h"
#include "tools/PageText.h"

namespace pagora::pack {
namespace {

using namespace testing;

const std::string kArchives = PAGORA_ARCHIVE_DIR;

struct Outcome {
    int status = -1;
    std::string output;  // stdout and stderr together
};

Outcome Pack(const std::vector<std::string>& args) {
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

bool Contains(const Outcome& o, const std::string& text) {
    return o.output.find(text) != std::string::npos;
}

TEST(PackCliTest, HelpAndBadCommandLines) {
    const Outcome help = Pack({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help, "Usage: pagora-pack COMMAND"));
    EXPECT_TRUE(Contains(help, "verify DIR"));

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"build"},
                                               {"build", "--out"},
                                               {"build", "--out", "x", "--colour", "red"},
                                               {"list"},
                                               {"list", "a", "b"},
                                               {"extract", "support.dat"},
                                               {"encode", "only-one"},
                                               {"verify"}}) {
        const Outcome o = Pack(bad);
        EXPECT_EQ(o.status, 2) << o.output;
        EXPECT_TRUE(Contains(o, "Try 'pagora-pack --help'")) << o.output;
    }
}

TEST(PackCliTest, ListShowsEveryMember) {
    const Outcome o = Pack({"list", kArchives + "/support.dat"});
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_TRUE(Contains(o, "17 members"));
    for (const char* name : {"quranpageindex.txt", "surat.txt", "border.html", "top.gif",
                             "right-s.jpg", "credits.txt"}) {
        EXPECT_TRUE(Contains(o, name)) << name;
    }
    // surat.txt decodes to the four code units of the marker: 8 bytes.
    const size_t at = o.output.find("\nsurat.txt ");
    ASSERT_NE(at, std::string::npos);
    const std::string line = o.output.substr(at + 1, o.output.find('\n', at + 1) - at - 1);
    EXPECT_EQ(line.substr(line.find_last_not_of(' ') - 1), " 8") << line;
}

TEST(PackCliTest, MissingOrBrokenArchivesFail) {
    TempDir tmp;
    const Outcome missing = Pack({"list", tmp / "nothing.dat"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(Contains(missing, "nothing.dat"));

    WriteBytes(tmp / "junk.dat", std::vector<uint8_t>(40, 'z'));
    const Outcome junk = Pack({"list", tmp / "junk.dat"});
    EXPECT_EQ(junk.status, 1);
    EXPECT_TRUE(Contains(junk, "junk.dat is damaged"));

    const Outcome extract = Pack({"extract", tmp / "nothing.dat", "001", "--to", tmp.Path()});
    EXPECT_EQ(extract.status, 1);
    EXPECT_TRUE(Contains(extract, "no archive"));
}

TEST(PackCliTest, ExtractWritesTheMemberAndRefusesOthers) {
    TempDir tmp;
    const Outcome ok =
        Pack({"extract", kArchives + "/order2.dat", "002", "012", "--to", tmp.Path()});
    EXPECT_EQ(ok.status, 0) << ok.output;
    EXPECT_TRUE(ReadBytes(tmp / "002") == PageMember(Sources(), 2));
    EXPECT_TRUE(ReadBytes(tmp / "012") == PageMember(Sources(), 12));

    const Outcome unknown = Pack({"extract", kArchives + "/order2.dat", "003", "--to", tmp.Path()});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(Contains(unknown, "has no member \"003\""));
    EXPECT_FALSE(std::filesystem::exists(tmp / "003"));

    // A name that differs only in letter case is not the member.
    const Outcome upper =
        Pack({"extract", kArchives + "/support.dat", "SURAT.TXT", "--to", tmp.Path()});
    EXPECT_EQ(upper.status, 1);
    EXPECT_FALSE(std::filesystem::exists(tmp / "SURAT.TXT"));

    const Outcome escape =
        Pack({"extract", kArchives + "/support.dat", "../surat.txt", "--to", tmp.Path()});
    EXPECT_EQ(escape.status, 2);
    const Outcome noFolder =
        Pack({"extract", kArchives + "/support.dat", "surat.txt", "--to", tmp / "absent"});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_TRUE(Contains(noFolder, "no folder"));
}

TEST(PackCliTest, ExtractRefusesDamagedMembersNamingArchiveAndMember) {
    TempDir tmp;
    // The member count of "order2.dat" edited; the kinds of damage are the data layer's tests.
    std::string bytes = ReadText(kArchives + "/order2.dat");
    bytes.replace(bytes.size() - 10 - std::stoul(bytes.substr(bytes.size() - 10)), 3, "60:");
    WriteText(tmp / "order2.dat", bytes);
    WriteText(tmp / "002", "older");
    const Outcome damaged = Pack({"extract", tmp / "order2.dat", "002", "--to", tmp.Path()});
    EXPECT_EQ(damaged.status, 1) << damaged.output;
    EXPECT_TRUE(Contains(damaged, tmp / "order2.dat") && Contains(damaged, "member \"002\""))
        << damaged.output;
    EXPECT_EQ(ReadText(tmp / "002"), "older");

    // A support archive without a frame image.
    std::vector<ArchiveMember> members = SupportMembers(Sources(), PAGORA_NODE_MODULES);
    std::erase_if(members, [](const ArchiveMember& m) { return m.name == "top.gif"; });
    WriteArchive(tmp / "support.dat", members);
    const Outcome o = Pack({"extract", tmp / "support.dat", "top.gif", "--to", tmp.Path()});
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(Contains(o, tmp / "support.dat") && Contains(o, "no member \"top.gif\""));
    EXPECT_FALSE(std::filesystem::exists(tmp / "top.gif"));
}

TEST(PackCliTest, ListAndVerifyEscapeControlCharactersInNames) {
    TempDir tmp;
    for (const std::string& name : ArchiveFileNames()) {
        std::filesystem::copy_file(kArchives + "/" + name, tmp / name);
    }
    const std::string hostile = "\x1B]0;owned\x07\x1B[2J";
    WriteArchive(tmp / "order3.dat", {{hostile, Bytes("a")}, {hostile, Bytes("b")}});
    const Outcome list = Pack({"list", tmp / "order3.dat"});
    const Outcome verify = Pack({"verify", tmp.Path(), "--no-sources"});
    for (const Outcome& o : {list, verify}) {
        EXPECT_EQ(o.output.find('\x1B'), std::string::npos) << o.output;
        EXPECT_TRUE(Contains(o, "\\x1B]0;owned\\x07\\x1B[2J")) << o.output;
    }
    EXPECT_EQ(verify.status, 1);
}

TEST(PackCliTest, EncodeDecodeRoundTripAndCorruptStream) {
    TempDir tmp;
    const std::vector<uint8_t> page = PageMember(Sources(), 77);
    WriteBytes(tmp / "in", page);
    ASSERT_EQ(Pack({"encode", tmp / "in", tmp / "he3"}).status, 0);
    ASSERT_EQ(Pack({"decode", tmp / "he3", tmp / "out"}).status, 0);
    EXPECT_TRUE(ReadBytes(tmp / "out") == page);
    EXPECT_LT(std::filesystem::file_size(tmp / "he3"), page.size());

    std::vector<uint8_t> stream = ReadBytes(tmp / "he3");
    stream[stream.size() - 20] ^= 0x24;
    WriteBytes(tmp / "bad", stream);
    const Outcome bad = Pack({"decode", tmp / "bad", tmp / "bad-out"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(Contains(bad, "is a corrupt stream")) << bad.output;

    // Plain text is no stream: nothing is copied out as if decoded.
    WriteBytes(tmp / "plain", page);
    const Outcome plain = Pack({"decode", tmp / "plain", tmp / "plain-out"});
    EXPECT_EQ(plain.status, 1);
    EXPECT_TRUE(Contains(plain, "not an HE3 stream")) << plain.output;

    WriteBytes(tmp / "empty", {});
    EXPECT_EQ(Pack({"encode", tmp / "empty", tmp / "x"}).status, 1);
    EXPECT_EQ(Pack({"encode", tmp / "absent", tmp / "x"}).status, 1);
    for (const char* never : {"bad-out", "plain-out", "x"}) {
        EXPECT_FALSE(std::filesystem::exists(tmp / never)) << never;
    }
}

TEST(PackCliTest, BuildIsReproducibleAndVerifies) {
    TempDir tmp;
    const Outcome built = Pack({"build", "--out", tmp.Path(), "--node-modules", PAGORA_NODE_MODULES,
                                "--meta", PAGORA_LAYOUT_JSON});
    ASSERT_EQ(built.status, 0) << built.output;
    for (const std::string& name : ArchiveFileNames()) {
        EXPECT_TRUE(ReadBytes(tmp / name) == ReadBytes(kArchives + "/" + name)) << name;
    }
    EXPECT_TRUE(Contains(built, "quran-json 3.1.2 is the reviewed text; 3518 verses changed"));
    const Outcome verified = Pack({"verify", tmp.Path(), "--meta", PAGORA_LAYOUT_JSON});
    EXPECT_EQ(verified.status, 0) << verified.output;
    EXPECT_TRUE(
        Contains(verified,
                 "621 members decoded, 604 pages and 6236 verses checked against the sources: "
                 "all good"));
    EXPECT_TRUE(
        Contains(verified,
                 "6236 verses with Unicode open tanween and no-break spaces before their numbers"));

    std::filesystem::remove(tmp / "order3.dat");
    const Outcome broken = Pack({"verify", tmp.Path(), "--no-sources"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_TRUE(Contains(broken, "order3.dat"));
}

TEST(PackCliTest, AnotherQuranTextIsRefused) {
    // A copy of the packages in which one verse has one mark more.
    TempDir packages;
    for (const std::string name : {"quran-json", "quran-meta"}) {
        std::filesystem::create_directories(packages / name + "/dist");
        std::filesystem::copy_file(std::string(PAGORA_NODE_MODULES) + "/" + name + "/package.json",
                                   packages / name + "/package.json");
    }
    nlohmann::json text = nlohmann::json::parse(
        ReadText(std::string(PAGORA_NODE_MODULES) + "/quran-json/dist/quran.json"));
    text[1]["verses"][1]["text"] = text[1]["verses"][1]["text"].get<std::string>() + "\u064E";
    WriteText(packages / "quran-json/dist/quran.json", text.dump());

    TempDir out;
    const Outcome built = Pack({"build", "--out", out.Path(), "--node-modules", packages.Path(),
                                "--meta", PAGORA_LAYOUT_JSON});
    EXPECT_EQ(built.status, 1);
    EXPECT_TRUE(Contains(built, "quran-json 3.1.2: the SHA-256 of the verse text is"))
        << built.output;
    EXPECT_TRUE(Contains(built, "must be reviewed"));
    EXPECT_FALSE(std::filesystem::exists(out / "support.dat"));
    const Outcome verified = Pack(
        {"verify", kArchives, "--node-modules", packages.Path(), "--meta", PAGORA_LAYOUT_JSON});
    EXPECT_EQ(verified.status, 1);
    EXPECT_TRUE(Contains(verified, "the SHA-256 of the verse text")) << verified.output;
}

}  // namespace
}  // namespace pagora::pack

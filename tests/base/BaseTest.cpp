// The classic number conversions, each with the inputs its callers meet, and the shared file
// operations, where their callers do not reach.
#include <fcntl.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>

#include "base/Numbers.h"
#include "tests/support/TestFiles.h"

namespace pagora {
namespace {

using namespace testing;

TEST(LeadingNumber, ReadsTheNumberAtTheStartLikeVal) {
    const std::pair<const char*, double> cases[] = {
        {"  45", 45.0}, {"12abc", 12.0}, {"2.5", 2.5},   {".5", 0.5},  {"-3.25x", -3.25},
        {"+7", 7.0},    {"8.", 8.0},     {"1.2.3", 1.2}, {"1e3", 1.0}, {"", 0.0},
        {"abc", 0.0},   {"-", 0.0},      {".", 0.0}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(LeadingNumber(text), value) << text;
    }
    EXPECT_GT(LeadingNumber(std::string(400, '9')), 604.0);  // endless digits stay ordered
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const std::pair<double, double> cases[] = {{2.5, 2.0},   {3.5, 4.0},   {-2.5, -2.0},
                                               {-3.5, -4.0}, {10.4, 10.0}, {-10.6, -11.0}};
    for (const auto& [value, rounded] : cases) {
        EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    }
}

TEST(TextToWhole, WholeTextRoundedHalfToEvenWithinTheRange) {
    const std::pair<const char*, int> cases[] = {
        {"35", 35},   {" 35 ", 35}, {"\t+35\r\n", 35},  {"2.5", 2},
        {"3.5", 4},   {"-2.5", -2}, {"2.51", 3},        {"1e2", 100},
        {"15E-1", 2}, {".5", 0},    {"32767.4", 32767}, {"-32768.5", -32768}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(TextToWhole(text, INT16_MIN, INT16_MAX), value) << text;
    }
    for (const char* refused : {"32767.5", "-32769", "1e400", "-1e400", "", " ", "abc", "12abc",
                                "nan", "inf", ".", "-", "1e", "1 2", "0x10", "++1"}) {
        EXPECT_EQ(TextToWhole(refused, INT16_MIN, INT16_MAX), std::nullopt) << refused;
    }
    EXPECT_EQ(TextToWhole("1e-400", 0, 0), 0);
    EXPECT_EQ(TextToWhole("0." + std::string(400, '0') + "1", 0, 0), 0);
}

TEST(TextToLong, FailsWithTheClassicErrorNumbers) {
    EXPECT_EQ(TextToLong(" -7 ", "t"), -7);
    EXPECT_EQ(TextToLong("3.50001", "t"), 4);
    EXPECT_EQ(TextToLong("2147483647", "t"), INT32_MAX);
    EXPECT_EQ(TextToLong("-2147483648", "t"), INT32_MIN);
    for (const auto& [text, number] :
         {std::pair{"2147483648", errnum::kOverflow}, std::pair{"-2147483649", errnum::kOverflow},
          std::pair{"", errnum::kTypeMismatch}, std::pair{"1x", errnum::kTypeMismatch},
          std::pair{".", errnum::kTypeMismatch}}) {
        const Error e = CaughtError([&, text = text] { TextToLong(text, "here"); });
        EXPECT_EQ(e.Number(), number) << text;
        EXPECT_EQ(e.Source(), "here");
    }
}

TEST(TextToSingle, ValuesReadBackExactlyFromTheirShortestText) {
    for (float value : {0.0f, 1500.0f, 12345.6f, -75.25f, 0.1f, 16245.0f, 3.4e38f}) {
        const std::string text = SingleToText(value);
        EXPECT_EQ(TextToSingle(text), value) << text;
    }
    EXPECT_EQ(SingleToText(1500.0f), "1500");
    EXPECT_EQ(SingleToText(12345.6f), "12345.6");
    EXPECT_EQ(TextToSingle(" 2.5 "), 2.5f);
    for (const char* refused : {"abc", "1e300", "-1e39", "", "inf"}) {
        EXPECT_EQ(TextToSingle(refused), std::nullopt) << refused;
    }
}

TEST(TextToInteger, DigitsWithSignAndBlanksOnly) {
    const std::pair<const char*, int64_t> cases[] = {
        {"604", 604}, {" 12\r\n", 12}, {"-1", -1}, {"+3", 3}};
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(TextToInteger(text), value) << text;
    }
    EXPECT_EQ(TextToInteger("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(TextToInteger("-9223372036854775808"), INT64_MIN);
    for (const char* refused :
         {"", " ", "-", "1.0", "1e2", "12a", "1 2", "9223372036854775808", "--1"}) {
        EXPECT_EQ(TextToInteger(refused), std::nullopt) << refused;
    }
}

TEST(DigitsToNumber, DigitsAndNothingElse) {
    EXPECT_EQ(DigitsToNumber("0"), 0);
    EXPECT_EQ(DigitsToNumber("0120"), 120);
    EXPECT_EQ(DigitsToNumber("999999999999999999"), 999999999999999999);
    for (const char* refused : {"", " 1", "1 ", "+1", "-1", "1.0", "1e2", "1234567890123456789"}) {
        EXPECT_EQ(DigitsToNumber(refused), std::nullopt) << refused;
    }
}

// A private folder holding the file `path`, not yet written.
class Files : public TestFolder {
  protected:
    const std::string path = folder_ / "f";
};

TEST_F(Files, WholeFilesOfAnySizeUpToTheLimit) {
    for (const size_t size : {size_t{0}, size_t{1}, size_t{70000}}) {
        WriteText(path, std::string(size, 'x'));
        EXPECT_EQ(ReadWholeFile(path, "t").size(), size);
        EXPECT_EQ(ReadWholeFile(path, "t", size).size(), size);
        if (size > 0) {
            EXPECT_EQ(CaughtError([&] { ReadWholeFile(path, "t", size - 1); }).Number(),
                      errnum::kOverflow);
        }
    }
    // A file that reports no size still reads whole.
    EXPECT_NE(Text(ReadWholeFile("/proc/self/status", "t")).find("Pid:"), std::string::npos);
    EXPECT_EQ(CaughtError([&] { ReadWholeFile(folder_ / "none", "t"); }).Number(),
              errnum::kFileNotFound);
}

TEST_F(Files, ReadsAndWritesAtOffsets) {
    {
        UniqueFd fd = OpenFile(path, O_RDWR | O_CREAT, "t");
        WriteAllAt(fd.get(), "abcdef", 6, 0, "t", path);
        WriteAllAt(fd.get(), "XY", 2, 8, "t", path);
        EXPECT_EQ(Text(ReadAt(fd.get(), 4, 100, "t", path)), std::string("ef\0\0XY", 6));
        EXPECT_TRUE(ReadAt(fd.get(), 50, 4, "t", path).empty());
    }
    // A new file replaces a link, live or dangling, instead of writing through it.
    fs::rename(path, folder_ / "target");
    fs::create_symlink(folder_ / "target", path);
    fs::create_symlink(folder_ / "nowhere", folder_ / "dangling");
    for (const std::string& link : {path, folder_ / "dangling"}) {
        WriteNewFile(link, Bytes("new"), "t");
        EXPECT_FALSE(fs::is_symlink(link));
        EXPECT_EQ(ReadText(link), "new");
    }
    EXPECT_EQ(ReadText(folder_ / "target").size(), 10u);
    EXPECT_FALSE(fs::exists(folder_ / "nowhere"));
}

TEST_F(Files, AFileThatCannotBeWrittenWholeIsNotLeftBehind) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto writeOnAFullDisk = [&] {
        std::signal(SIGXFSZ, SIG_IGN);  // writes past 100 bytes fail, as on a full disk
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            WriteNewFile(path, Bytes(std::string(1000, 'x')), "t");
        } catch (const Error&) {
            std::exit(fs::exists(path) ? 1 : 0);
        }
        std::exit(2);  // reported as written
    };
    EXPECT_EXIT(writeOnAFullDisk(), ::testing::ExitedWithCode(0), "");
}

TEST(TemporaryFolder, GoesWithItsContent) {
    std::string path;
    {
        TemporaryFolder folder("pagora-files-test");
        path = folder.Path();
        fs::create_directories(folder / "a/b");
        WriteText(folder / "a/b/c", "x");
    }
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
}  // namespace pagora

// The tables of the book index and the Go-to menus built from them.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "menu/clsNewMenu.h"
#include "reader/GoToMenus.h"
#include "reader/QuranIndex.h"
#include "tests/support/ReaderDoubles.h"

namespace pagora {
namespace {

constexpr WindowHandle kOwner = 9;

// The captions of the menu's top-level entries.
std::vector<std::string> Ranges(clsNewMenu& menu) {
    std::vector<std::string> captions;
    for (int k = 0; k < menu.Count(); ++k) {
        captions.push_back(menu.SubMenu(k)->Caption);
    }
    return captions;
}

TEST(GoToMenusTest, SuraMenuHasFiveRangesOfTheTableNames) {
    clsNewMenu menu{std::make_shared<testing::AnsweringPopupMenu>()};
    std::vector<std::string> names;
    for (int sura = 1; sura <= 114; ++sura) {
        names.push_back("Sura name " + std::to_string(sura));
    }
    BuildSuraMenu(menu, kOwner, names);
    EXPECT_EQ(Ranges(menu), (std::vector<std::string>{"Sura 1 - 25", "Sura 26 - 50", "Sura 51 - 75",
                                                      "Sura 76 - 100", "Sura 101 - 114"}));
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(menu.SubMenu(k)->Count(), k < 4 ? 25 : 14);
    }
    for (int sura = 0; sura < 114; ++sura) {
        const auto entry = menu.SubMenu(sura / 25)->SubMenu(sura % 25);
        EXPECT_EQ(entry->Caption, names[static_cast<std::size_t>(sura)]);
        EXPECT_EQ(entry->Tag, std::to_string(sura));
    }
    // A short name table: the missing suras are listed by number.
    BuildSuraMenu(menu, kOwner, {names.begin(), names.begin() + 3});
    EXPECT_EQ(menu.SubMenu(0)->SubMenu(3)->Caption, "4");
    EXPECT_EQ(menu.SubMenu(4)->SubMenu(13)->Caption, "114");
    EXPECT_EQ(menu.SubMenu(4)->SubMenu(13)->Tag, "113");
}

TEST(GoToMenusTest, JuzAndHizbMenusHaveThreeRangesOfNumbersAndNoMenuHasADefaultEntry) {
    const auto service = std::make_shared<testing::AnsweringPopupMenu>();
    clsNewMenu menu{service};
    BuildJuzMenu(menu, kOwner);
    EXPECT_EQ(Ranges(menu), (std::vector<std::string>{"Juz 1 - 10", "Juz 11 - 20", "Juz 21 - 30"}));
    for (int juz = 1; juz <= 30; ++juz) {
        std::shared_ptr<clsMenu> entry = menu.SubMenu((juz - 1) / 10)->SubMenu((juz - 1) % 10);
        EXPECT_EQ(entry->Caption, std::to_string(juz));
        EXPECT_EQ(entry->Tag, std::to_string(juz - 1));
    }
    menu.PopUp();
    // Hizbs of four quarters; the core's tests choose "1" and "60 \u00BE" through them.
    BuildHizbMenu(menu, kOwner);
    EXPECT_EQ(Ranges(menu),
              (std::vector<std::string>{"Hizb 1 - 20", "Hizb 21 - 40", "Hizb 41 - 60"}));
    ASSERT_EQ(menu.SubMenu(0)->SubMenu(0)->Count(), 4);
    EXPECT_EQ(menu.SubMenu(0)->SubMenu(0)->SubMenu(1)->Caption, "1 \u00BC");
    menu.PopUp();
    BuildSuraMenu(menu, kOwner, std::vector<std::string>(114, "name"));
    menu.PopUp();
    EXPECT_FALSE(service->shownDefault);
}

TEST(ChosenStartPageTest, TagPicksTheLineOfTheStartTableAndDamagedEntriesAreIgnored) {
    // Entries are digits only (blanks around them allowed) and pages of the book.
    const std::vector<std::string> table = {"604", "0", "605", "-3", " 45 ", "007"};
    const std::pair<std::string, std::optional<int>> tags[] = {
        {"0", 604}, {"1", std::nullopt}, {"2", std::nullopt}, {"3", std::nullopt}, {"4", 45},
        {"5", 7},   {"6", std::nullopt}, {"-1", std::nullopt}};
    for (const auto& [tag, page] : tags) {
        EXPECT_EQ(ChosenStartPage(tag, table), page) << tag;
    }
    EXPECT_EQ(ChosenStartPage("0", {}), std::nullopt);
}

// A made-up book of six pages (starting at 1:1, 2:6, 2:26, 3:4, 5:2, 5:3) and five suras.
QuranIndex SixPages() {
    QuranIndex index;
    index.pageStart = SplitTable(QStringLiteral("1,1;2,6;2,26;3,4;5,2;5,3"), QStringLiteral(";"));
    index.suraNames = SplitTable(QStringLiteral("One\r\nTwo\r\nThree\r\nFour\r\nFive\r\n"),
                                 QStringLiteral("\r\n"));
    index.verseCount =
        SplitTable(QStringLiteral("7\r\n286\r\n5\r\n2\r\n3"), QStringLiteral("\r\n"));
    return index;
}

TEST(Tables, SplitKeepsEmptyPiecesSoThatLineNMeansEntryN) {
    EXPECT_EQ(SplitTable(QStringLiteral("a;;b;"), QStringLiteral(";")),
              (QStringList{"a", "", "b", ""}));
}

TEST(SurasInPage, OneOrTwoNamesGetALeadingLineBreakAndThreeNothing) {
    QuranIndex book = SixPages();
    EXPECT_EQ(SurasInPage(book, 2), "\r\nTwo");
    EXPECT_EQ(SurasInPage(book, 1), "\r\nOne\r\nTwo");  // page 2 begins at 2,6
    EXPECT_EQ(SurasInPage(book, 3), "\r\nTwo\r\nThree");
    EXPECT_EQ(SurasInPage(book, 4), "Three\r\nFour\r\nFive");
    // A successor opening a new sura is not listed.
    book.pageStart[2] = QStringLiteral("3,1");
    EXPECT_EQ(SurasInPage(book, 2), "\r\nTwo");
    // Tables that do not cover the page give empty text.
    EXPECT_EQ(SurasInPage(book, 0), "");
    EXPECT_EQ(SurasInPage(book, 6), "");  // no entry for page 7
    book.pageStart[1] = QStringLiteral("x");
    EXPECT_EQ(SurasInPage(book, 2), "");
    // The last page runs to sura 114.
    book.pageStart = QStringList(604, QStringLiteral("112,1"));
    book.suraNames = QStringList(113, QStringLiteral("S")) << QStringLiteral("S114");
    EXPECT_EQ(SurasInPage(book, 604), "S\r\nS\r\nS114");
}

TEST(GetSuraVerse, CountsOnFromTheFirstVerseOfThePageAcrossAnyNumberOfSuraEnds) {
    // Sura 3 has 5 verses, sura 4 has 2; sura 6 has no count, so the verse is not carried on.
    const std::tuple<int, int, QString> verses[] = {
        {2, 3, "2:8"}, {2, 1, "2:6"}, {1, 7, "1:7"}, {1, 8, "2:1"}, {4, 2, "3:5"}, {4, 3, "4:1"},
        {4, 4, "4:2"}, {4, 5, "5:1"}, {4, 7, "5:3"}, {6, 2, "6:1"}, {7, 1, ""}};
    for (const auto& [page, link, reference] : verses) {
        EXPECT_EQ(GetSuraVerse(SixPages(), page, link), reference) << page << "/" << link;
    }
}

}  // namespace
}  // namespace pagora

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "reader/TypedNumber.h"

namespace pagora {
namespace {

TEST(LeadingNumberTest, ReadsTheNumberAtTheStartLikeVal) {
    EXPECT_EQ(LeadingNumber("45"), 45.0);
    EXPECT_EQ(LeadingNumber("  45"), 45.0);
    EXPECT_EQ(LeadingNumber("12abc"), 12.0);
    EXPECT_EQ(LeadingNumber("2.5"), 2.5);
    EXPECT_EQ(LeadingNumber(".5"), 0.5);
    EXPECT_EQ(LeadingNumber("-3.25x"), -3.25);
    EXPECT_EQ(LeadingNumber("+7"), 7.0);
    EXPECT_EQ(LeadingNumber("8."), 8.0);
    EXPECT_EQ(LeadingNumber("1.2.3"), 1.2);
    EXPECT_EQ(LeadingNumber("1e3"), 1.0);
    EXPECT_EQ(LeadingNumber("0045"), 45.0);
}

TEST(LeadingNumberTest, NoNumberReadsAsZero) {
    EXPECT_EQ(LeadingNumber(""), 0.0);
    EXPECT_EQ(LeadingNumber("abc"), 0.0);
    EXPECT_EQ(LeadingNumber("-"), 0.0);
    EXPECT_EQ(LeadingNumber("."), 0.0);
    EXPECT_EQ(LeadingNumber("x12"), 0.0);
}

TEST(LeadingNumberTest, EndlessDigitsStayOrdered) {
    EXPECT_GT(LeadingNumber(std::string(400, '9')), 604.0);
    EXPECT_LT(LeadingNumber("-" + std::string(400, '9')), 1.0);
    EXPECT_EQ(LeadingNumber("0." + std::string(400, '0') + "1"), 0.0);
}

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(603.5), 604.0);
    EXPECT_EQ(RoundHalfEven(199.5), 200.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
    EXPECT_EQ(RoundHalfEven(10.4), 10.0);
    EXPECT_EQ(RoundHalfEven(10.6), 11.0);
}

std::optional<int> Page(const std::string& answer) {
    return ReadTypedNumber(answer, kPageNumberPrompt);
}
std::optional<int> TextSize(const std::string& answer) {
    return ReadTypedNumber(answer, kTextSizePrompt);
}

TEST(ReadTypedNumberTest, PagePromptAcceptsPagesOfTheBook) {
    EXPECT_EQ(Page("45"), 45);
    EXPECT_EQ(Page(" 46 "), 46);
    EXPECT_EQ(Page("1"), 1);
    EXPECT_EQ(Page("604"), 604);
    EXPECT_EQ(Page("12abc"), 12);
    EXPECT_EQ(Page("2.5"), 2);
    EXPECT_EQ(Page("603.5"), 604);
    EXPECT_EQ(Page("1.4"), 1);
    EXPECT_EQ(Page("604.0"), 604);
}

TEST(ReadTypedNumberTest, PagePromptRefusesEverythingElse) {
    for (const char* answer :
         {"", "   ", "0", "605", "abc", "604.4", "0.6", "-1", "-0", ".", "999999999999999999999"}) {
        EXPECT_EQ(Page(answer), std::nullopt) << '"' << answer << '"';
    }
}

TEST(ReadTypedNumberTest, TextSizePromptRange) {
    EXPECT_EQ(TextSize("9"), std::nullopt);
    EXPECT_EQ(TextSize("9.9"), std::nullopt);
    EXPECT_EQ(TextSize("201"), std::nullopt);
    EXPECT_EQ(TextSize("200.1"), std::nullopt);
    EXPECT_EQ(TextSize(""), std::nullopt);
    EXPECT_EQ(TextSize("10"), 10);
    EXPECT_EQ(TextSize("200"), 200);
    EXPECT_EQ(TextSize("10.4"), 10);
    EXPECT_EQ(TextSize("199.5"), 200);
    EXPECT_EQ(TextSize("35px"), 35);
}

TEST(ReadTypedNumberTest, PromptTexts) {
    EXPECT_STREQ(kPageNumberPrompt.message, "Enter page number (1 to 604)");
    EXPECT_STREQ(kPageNumberPrompt.title, "Enter Page Number");
    EXPECT_STREQ(kTextSizePrompt.message, "Enter text size (10 to 200)");
    EXPECT_STREQ(kTextSizePrompt.title, "Enter text size");
}

}  // namespace
}  // namespace pagora

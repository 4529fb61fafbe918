#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "reader/TypedNumber.h"

namespace pagora {
namespace {

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

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "reader/TypedNumber.h"

namespace pagora {
namespace {

TEST(ReadTypedNumberTest, PagePromptTakesTheRoundedLeadingNumberOfAPageOfTheBook) {
    const std::pair<const char*, int> accepted[] = {{"45", 45},   {" 46 ", 46},   {"1", 1},
                                                    {"604", 604}, {"12abc", 12},  {"2.5", 2},
                                                    {"1.4", 1},   {"603.5", 604}, {"604.0", 604}};
    for (const auto& [answer, page] : accepted) {
        EXPECT_EQ(ReadTypedNumber(answer, kPageNumberPrompt), page) << '"' << answer << '"';
    }
    for (const char* answer :
         {"", "   ", "0", "605", "abc", "604.4", "0.6", "-1", "-0", ".", "999999999999999999999"}) {
        EXPECT_EQ(ReadTypedNumber(answer, kPageNumberPrompt), std::nullopt) << '"' << answer << '"';
    }
}

TEST(ReadTypedNumberTest, TextSizePromptTakesTenToTwoHundred) {
    const std::pair<const char*, int> accepted[] = {
        {"10", 10}, {"200", 200}, {"10.4", 10}, {"199.5", 200}, {"35px", 35}};
    for (const auto& [answer, size] : accepted) {
        EXPECT_EQ(ReadTypedNumber(answer, kTextSizePrompt), size) << '"' << answer << '"';
    }
    for (const char* answer : {"9", "9.9", "201", "200.1", ""}) {
        EXPECT_EQ(ReadTypedNumber(answer, kTextSizePrompt), std::nullopt) << '"' << answer << '"';
    }
}

}  // namespace
}  // namespace pagora

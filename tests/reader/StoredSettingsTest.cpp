#include <gtest/gtest.h>

#include "reader/StoredSettings.h"

namespace pagora {
namespace {

TEST(SettingsValues, AppNameAddsTheCommandLineText) {
    EXPECT_EQ(SettingsAppName("pagora", ""), "pagora");
    EXPECT_EQ(SettingsAppName("pagora", "x"), "pagora-x");
    EXPECT_EQ(SettingsAppName("pagora", "a b"), "pagora-a b");
}

TEST(SettingsValues, WholeNumbersRoundHalfToEvenIntoSixteenBits) {
    EXPECT_EQ(ParseWholeNumber("35"), 35);
    EXPECT_EQ(ParseWholeNumber(" 35 "), 35);
    EXPECT_EQ(ParseWholeNumber("2.5"), 2);
    EXPECT_EQ(ParseWholeNumber("3.5"), 4);
    EXPECT_EQ(ParseWholeNumber("-2.5"), -2);
    EXPECT_EQ(ParseWholeNumber("2.51"), 3);
    EXPECT_EQ(ParseWholeNumber("1e2"), 100);
    EXPECT_EQ(ParseWholeNumber("32767.4"), 32767);
    EXPECT_EQ(ParseWholeNumber("-32768.5"), -32768);
    EXPECT_EQ(ParseWholeNumber("32767.5"), std::nullopt);
    EXPECT_EQ(ParseWholeNumber("-32769"), std::nullopt);
    EXPECT_EQ(ParseWholeNumber("99999999999"), std::nullopt);
    for (const char* junk : {"", "abc", "12abc", "nan", "inf", "1,5"}) {
        EXPECT_EQ(ParseWholeNumber(junk), std::nullopt) << junk;
    }
}

TEST(SettingsValues, SingleValuesReadBackExactly) {
    for (float value : {0.0f, 1500.0f, 12345.6f, -75.25f, 0.1f, 16245.0f}) {
        const QString text = SingleText(value);
        ASSERT_TRUE(ParseSingle(text).has_value()) << text.toStdString();
        EXPECT_EQ(*ParseSingle(text), value) << text.toStdString();
    }
    EXPECT_EQ(SingleText(1500.0f), "1500");
    EXPECT_EQ(SingleText(12345.6f), "12345.6");
    EXPECT_EQ(ParseSingle("abc"), std::nullopt);
    EXPECT_EQ(ParseSingle("1e300"), std::nullopt);
    EXPECT_EQ(ParseSingle(""), std::nullopt);
}

}  // namespace
}  // namespace pagora

#include <gtest/gtest.h>

#include "reader/StoredSettings.h"

namespace pagora {
namespace {

// The conversions are tested in tests/base; these check the sixteen-bit range and Qt texts.
TEST(SettingsValues, StoredNumbersAsTheReaderReadsThem) {
    EXPECT_EQ(ParseWholeNumber(" 3.5 "), 4);
    EXPECT_EQ(ParseWholeNumber("-32768.5"), -32768);
    EXPECT_EQ(ParseWholeNumber("32767.5"), std::nullopt);
    EXPECT_EQ(ParseWholeNumber("12abc"), std::nullopt);
    EXPECT_EQ(ParseSingle(SingleText(12345.6f)), 12345.6f);
    EXPECT_EQ(SingleText(1500.0f), "1500");
    EXPECT_EQ(ParseSingle("1e300"), std::nullopt);
}

}  // namespace
}  // namespace pagora

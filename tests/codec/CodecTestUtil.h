#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Error.h"

namespace pagora::testing {

inline std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline std::vector<uint8_t> Hex(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) {
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

// Runs `call`, expecting it to throw pagora::Error with the given number (and source and
// description when not empty).
template <typename Call>
void ExpectError(Call call, int32_t number, const std::string& source = "",
                 const std::string& description = "") {
    try {
        call();
        ADD_FAILURE() << "expected error " << number;
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), number) << e.Description();
        if (!source.empty()) {
            EXPECT_EQ(e.Source(), source);
        }
        if (!description.empty()) {
            EXPECT_EQ(e.Description(), description);
        }
    }
}

}  // namespace pagora::testing

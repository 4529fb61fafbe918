#include "navigation/TypedNumber.h"

namespace pagora {

std::optional<int> ReadTypedNumber(std::string_view answer, int lowest, int highest) {
    const std::size_t first = answer.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const double value = LeadingNumber(answer.substr(first));
    if (value < lowest || value > highest) {
        return std::nullopt;
    }
    return static_cast<int>(RoundHalfEven(value));
}

}  // namespace pagora

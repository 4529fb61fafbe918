#include "tests/support/QuranText.h"

#include <QString>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace pagora::testing {

std::vector<uint8_t> QuranTextUtf16(const std::string& nodeModules) {
    const std::string path = nodeModules + "/quran-json/dist/quran.json";
    std::ifstream file(path);
    if (!file) {
        throw std::runtime_error("cannot open " + path + " (run npm ci)");
    }
    QString text;
    for (const auto& sura : nlohmann::json::parse(file)) {
        for (const auto& verse : sura.at("verses")) {
            text += (text.isEmpty() ? "" : "\r\n") +
                    QString::fromStdString(verse.at("text").get<std::string>());
        }
    }
    std::vector<uint8_t> out;
    for (const char16_t unit : text.toStdU16String()) {
        out.push_back(static_cast<uint8_t>(unit));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return out;
}

}  // namespace pagora::testing

#include "tests/support/QuranText.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace pagora::testing {

namespace {

void AppendUtf16(std::vector<uint8_t>& out, const std::string& utf8) {
    for (size_t k = 0; k < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[k]);
        uint32_t cp;
        int extra;
        if (c < 0x80) {
            cp = c;
            extra = 0;
        } else if ((c >> 5) == 6) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c >> 4) == 14) {
            cp = c & 0x0F;
            extra = 2;
        } else {
            cp = c & 0x07;
            extra = 3;
        }
        for (int e = 1; e <= extra; ++e) {
            cp = cp << 6 | (static_cast<unsigned char>(utf8.at(k + e)) & 0x3F);
        }
        k += 1 + extra;
        auto unit = [&](uint32_t u) {
            out.push_back(static_cast<uint8_t>(u));
            out.push_back(static_cast<uint8_t>(u >> 8));
        };
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(0xD800 | (cp >> 10));
            unit(0xDC00 | (cp & 0x3FF));
        } else {
            unit(cp);
        }
    }
}

}  // namespace

std::vector<uint8_t> QuranTextUtf16(const std::string& nodeModules) {
    const std::string path = nodeModules + "/quran-json/dist/quran.json";
    std::ifstream file(path);
    if (!file) {
        throw std::runtime_error("cannot open " + path + " (run npm ci)");
    }
    const nlohmann::json suras = nlohmann::json::parse(file);
    std::vector<uint8_t> out;
    for (const auto& sura : suras) {
        for (const auto& verse : sura.at("verses")) {
            if (!out.empty()) {
                AppendUtf16(out, "\r\n");
            }
            AppendUtf16(out, verse.at("text").get<std::string>());
        }
    }
    return out;
}

}  // namespace pagora::testing

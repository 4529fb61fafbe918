#include "tools/PageText.h"

#include <algorithm>

namespace pagora::pack {

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

std::string PageName(int page) {
    return "page " + std::to_string(page);
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t k = 0; k < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[k]);
        uint32_t cp;
        int extra;
        if (c < 0x80) {
            cp = c;
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else {
            throw PackError("invalid UTF-8 in the source text");
        }
        if (k + static_cast<size_t>(extra) >= utf8.size()) {
            throw PackError("truncated UTF-8 in the source text");
        }
        for (int e = 1; e <= extra; ++e) {
            const auto cc = static_cast<unsigned char>(utf8[k + e]);
            if ((cc & 0xC0) != 0x80) {
                throw PackError("invalid UTF-8 in the source text");
            }
            cp = cp << 6 | (cc & 0x3F);
        }
        k += 1 + extra;
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            throw PackError("invalid code point in the source text");
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (size_t k = 0; k < text.size(); ++k) {
        uint32_t cp = text[k];
        if (cp >= 0xD800 && cp <= 0xDBFF && k + 1 < text.size() && text[k + 1] >= 0xDC00 &&
            text[k + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[k + 1] - 0xDC00);
            ++k;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::vector<uint8_t> ToUtf16Le(const std::u16string& text) {
    std::vector<uint8_t> out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c & 0xFF));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

std::u16string FromUtf16Le(const std::vector<uint8_t>& bytes) {
    if (bytes.size() % 2 != 0) {
        throw PackError("UTF-16LE text with an odd number of bytes");
    }
    std::u16string out(bytes.size() / 2, u'\0');
    for (size_t k = 0; k < out.size(); ++k) {
        out[k] = static_cast<char16_t>(bytes[2 * k] | bytes[2 * k + 1] << 8);
    }
    return out;
}

std::u16string ArabicIndicNumber(int value) {
    std::u16string out;
    const std::string digits = std::to_string(value);
    for (char d : digits) {
        out.push_back(static_cast<char16_t>(0x0660 + (d - '0')));
    }
    return out;
}

bool IsArabicIndicDigit(char16_t c) {
    return c >= 0x0660 && c <= 0x0669;
}

bool HasPrivateTanween(const std::u16string& text) {
    return text.find_first_of(u"\u0656\u0657\u065E") != std::u16string::npos;
}

bool IsAnyDigit(char16_t c) {
    return (c >= u'0' && c <= u'9') || IsArabicIndicDigit(c) || (c >= 0x06F0 && c <= 0x06F9);
}

int PageOfVerse(const MushafSources& src, const VerseRef& verse) {
    auto after =
        std::upper_bound(src.pageStarts.begin(), src.pageStarts.end(), verse,
                         [](const VerseRef& a, const VerseRef& b) {
                             return a.sura < b.sura || (a.sura == b.sura && a.verse < b.verse);
                         });
    return static_cast<int>(after - src.pageStarts.begin());
}

std::vector<std::u16string> PageLines(const MushafSources& src, int page) {
    if (page < 1 || page > kPageCount) {
        throw PackError("no such page: " + std::to_string(page));
    }
    const VerseRef first = src.pageStarts[page - 1];
    const VerseRef end = page < kPageCount ? src.pageStarts[page] : VerseRef{kSuraCount + 1, 1};
    const std::u16string basmala = Utf8ToUtf16(src.suras[0].verses[0]);

    auto checkText = [&](const std::u16string& text, const std::string& what) {
        if (text.find(kSuraMarker) != std::u16string::npos) {
            throw PackError(what + " on " + PageName(page) +
                            " contains the sura-header marker; the page view would take it "
                            "for a header");
        }
        if (std::any_of(text.begin(), text.end(), IsAnyDigit)) {
            throw PackError(what + " on " + PageName(page) + " contains a digit");
        }
        if (HasPrivateTanween(text)) {
            throw PackError(what + " on " + PageName(page) +
                            " writes open tanween with marks the mushaf font does not draw "
                            "that way (U+0656, U+0657 or U+065E)");
        }
        if (text.find(kCr) != std::u16string::npos || text.find(kLf) != std::u16string::npos) {
            throw PackError(what + " on " + PageName(page) + " contains a line break");
        }
    };

    std::vector<std::u16string> lines;
    VerseRef at = first;
    while (at.sura < end.sura || (at.sura == end.sura && at.verse < end.verse)) {
        const Sura& sura = src.suras[at.sura - 1];
        if (at.verse == 1) {
            const std::u16string name = Utf8ToUtf16(sura.arabicName);
            checkText(name, "the name of sura " + std::to_string(sura.number));
            lines.push_back(kSuraMarker + u" " + name);
            if (page != 1 && page != 187) {
                checkText(basmala, "the basmala");
                lines.push_back(basmala);
            }
        }
        const std::u16string text = Utf8ToUtf16(sura.verses[at.verse - 1]);
        checkText(text, "verse " + std::to_string(at.sura) + ":" + std::to_string(at.verse));
        lines.push_back(text + kNumberJoiner + ArabicIndicNumber(at.verse));
        if (at.verse < static_cast<int>(sura.verses.size())) {
            ++at.verse;
        } else {
            at = {at.sura + 1, 1};
        }
    }
    return lines;
}

std::vector<uint8_t> PageMember(const MushafSources& src, int page) {
    std::u16string text;
    for (const std::u16string& line : PageLines(src, page)) {
        if (!text.empty()) {
            text += u"\r\n";
        }
        text += line;
    }
    return ToUtf16Le(text);
}

std::vector<PageLine> ParsePage(const std::u16string& text, const std::u16string& marker,
                                int page) {
    std::vector<PageLine> lines;
    if (text.empty()) {
        return lines;
    }
    bool afterHeader = false;
    size_t start = 0;
    for (;;) {
        const size_t crlf = text.find(u"\r\n", start);
        PageLine line;
        line.text =
            text.substr(start, crlf == std::u16string::npos ? std::u16string::npos : crlf - start);
        if (page != 1 && page != 187 && afterHeader) {
            line.kind = PageLine::Kind::Basmala;
            afterHeader = false;
        } else if (!marker.empty() && line.text.find(marker) != std::u16string::npos) {
            line.kind = PageLine::Kind::Header;
            afterHeader = true;
        } else {
            line.kind = PageLine::Kind::Verse;
        }
        size_t digitsFrom = line.text.size();
        if (line.kind == PageLine::Kind::Verse) {
            while (digitsFrom > 0 && IsArabicIndicDigit(line.text[digitsFrom - 1])) {
                --digitsFrom;
            }
            const size_t digits = line.text.size() - digitsFrom;
            const char16_t space = digitsFrom > 0 ? line.text[digitsFrom - 1] : u'\0';
            if (digits > 0 && digits <= 4 && (space == u' ' || space == kNumberJoiner)) {
                line.joinedNumber = space == kNumberJoiner;
                line.number = 0;
                for (size_t k = digitsFrom; k < line.text.size(); ++k) {
                    line.number = line.number * 10 + (line.text[k] - 0x0660);
                }
                line.body = line.text.substr(0, digitsFrom - 1);
            } else {
                digitsFrom = line.text.size();
            }
        }
        line.strayDigit =
            std::any_of(line.text.begin(), line.text.begin() + digitsFrom, IsAnyDigit);
        lines.push_back(std::move(line));
        if (crlf == std::u16string::npos) {
            break;
        }
        start = crlf + 2;
    }
    return lines;
}

}  // namespace pagora::pack

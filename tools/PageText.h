#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/MushafSources.h"

namespace pagora::pack {

// The sura-header marker ("surat.txt"): the plain word "sura" without diacritics. Every header
// line holds it; the Uthmani verse text never spells it this way.
inline const std::u16string kSuraMarker = u"\u0633\u0648\u0631\u0629";

// Joins a verse's last word and its number, so that a line never starts with a verse number.
inline constexpr char16_t kNumberJoiner = u'\u00A0';

std::u16string Utf8ToUtf16(const std::string& utf8);
std::string Utf16ToUtf8(const std::u16string& text);
std::vector<uint8_t> ToUtf16Le(const std::u16string& text);
// Throws PackError for an odd number of bytes.
std::u16string FromUtf16Le(const std::vector<uint8_t>& bytes);

// Verse numbers as the page texts write them: Arabic-Indic digits U+0660..U+0669.
std::u16string ArabicIndicNumber(int value);
bool IsArabicIndicDigit(char16_t c);
// Any decimal digit the page view could turn into a number link or that should not be there:
// ASCII, Arabic-Indic and Eastern Arabic-Indic digits.
bool IsAnyDigit(char16_t c);

// True when `text` still writes the open tanween with quran-json's private marks (U+0656,
// U+0657, U+065E), which the mushaf font does not draw as open tanween.
bool HasPrivateTanween(const std::u16string& text);

// The page (1..604) that holds a verse, by the page-start table.
int PageOfVerse(const MushafSources& src, const VerseRef& verse);

// The lines of one page: for each sura beginning on it a header line and (except on pages 1
// and 187) the basmala, then one line per verse ending with a no-break space and its number. Throws
// PackError when the text would break the page format (a marker or a digit inside a verse).
std::vector<std::u16string> PageLines(const MushafSources& src, int page);

// The page member: the lines joined by CR LF, UTF-16LE without byte-order mark.
std::vector<uint8_t> PageMember(const MushafSources& src, int page);

// A page text read back the way the page view reads it.
struct PageLine {
    enum class Kind { Header, Basmala, Verse };
    Kind kind = Kind::Verse;
    std::u16string text;
    int number = -1;            // verse lines: the trailing Arabic-Indic number, -1 when missing
    std::u16string body;        // verse lines: the text before the space and the number
    bool joinedNumber = false;  // that space is kNumberJoiner
    bool strayDigit = false;    // a digit anywhere but in the trailing verse number
};

std::vector<PageLine> ParsePage(const std::u16string& text, const std::u16string& marker, int page);

}  // namespace pagora::pack

#include "reader/search/Folding.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <iterator>

namespace pagora::search {

namespace {

constexpr char16_t kAlef = u'\u0627';
constexpr char16_t kDropped = 0;
// A query has to fit into a verse; none comes near this length, and the matcher's tables grow
// with its square.
constexpr size_t kLongestQuery = 8192;

// The folded form of any character, the superscript alef kept.
char16_t FoldedAnywhere(char16_t c) {
    switch (c) {
        case u'\u0640':  // tatweel
        case u'\u06DE':  // rub el hizb
        case u'\u06E9':  // place of sajdah
        case u'\u06E5':  // small waw
        case u'\u06E6':  // small yeh
        case u'\u0621':  // hamza on the line
            return kDropped;
        case u'\u0623':  // alef with hamza above
        case u'\u0625':  // alef with hamza below
        case u'\u0622':  // alef with madda
        case u'\u0671':  // alef wasla
        case u'\u0672':  // alef with wavy hamza above
        case u'\u0673':  // alef with wavy hamza below
            return kAlef;
        case u'\u0649':  // alef maksura
        case u'\u0626':  // yeh with hamza above
            return u'\u064A';
        case u'\u0629':  // teh marbuta
            return u'\u0647';
        case u'\u0624':  // waw with hamza above
            return u'\u0648';
        case kOptionalAlef:
            return kOptionalAlef;
        default:
            break;
    }
    if (QChar::isSpace(c) || QChar::category(c) == QChar::Mark_NonSpacing) {
        return kDropped;
    }
    return c;
}

// Nearly every character of a verse lies in the Arabic block: looked up, not worked out.
const std::array<char16_t, 256> kArabicFolded = [] {
    std::array<char16_t, 256> table{};
    for (size_t k = 0; k < table.size(); ++k) {
        table[k] = FoldedAnywhere(static_cast<char16_t>(0x0600 + k));
    }
    return table;
}();

inline char16_t Folded(char16_t c, bool inQuery) {
    if (c == kOptionalAlef && inQuery) {
        return kAlef;
    }
    if (c >= 0x0600 && c < 0x0700) {
        return kArabicFolded[c - 0x0600];
    }
    return c == u' ' ? kDropped : FoldedAnywhere(c);
}

}  // namespace

void FoldVerse(QStringView verse, std::u16string& folded, std::vector<int>& origin) {
    const size_t before = folded.size();
    folded.resize(before + static_cast<size_t>(verse.size()));
    origin.resize(folded.size());
    size_t end = before;
    for (qsizetype k = 0; k < verse.size(); ++k) {
        const char16_t c = Folded(verse[k].unicode(), false);
        if (c != kDropped) {
            folded[end] = c;
            origin[end] = static_cast<int>(k);
            ++end;
        }
    }
    folded.resize(end);
    origin.resize(end);
}

std::u16string FoldQuery(QStringView query) {
    std::u16string folded;
    for (const QChar qc : query) {
        const char16_t c = Folded(qc.unicode(), true);
        if (c != kDropped) {
            folded += c;
        }
    }
    return folded;
}

uint64_t LetterSet(std::u16string_view folded) {
    uint64_t letters = 0;
    for (const char16_t c : folded) {
        letters |= uint64_t{1} << ((c == kOptionalAlef ? kAlef : c) % 64);
    }
    return letters;
}

Matcher::Automaton::Automaton(std::u16string_view pattern)
    : words_((pattern.size() + 63) / 64), arabic_(256 * words_, 0), other_(words_, 0) {
    if (pattern.empty()) {
        return;
    }
    lastBit_ = uint64_t{1} << ((pattern.size() - 1) % 64);
    for (size_t j = 0; j < pattern.size(); ++j) {
        const char16_t c = pattern[j];
        uint64_t* mask = nullptr;
        if (c >= 0x0600 && c < 0x0700) {
            mask = &arabic_[(c - 0x0600u) * words_];
        } else {
            size_t block = static_cast<size_t>(OtherMask(c) - other_.data()) / words_;
            if (block == 0) {
                block = other_.size() / words_;
                otherLetters_.emplace_back(c, block);
                other_.resize(other_.size() + words_, 0);
            }
            mask = &other_[block * words_];
        }
        mask[j / 64] |= uint64_t{1} << (j % 64);
    }
}

const uint64_t* Matcher::Automaton::OtherMask(char16_t c) const {
    for (const auto& [letter, block] : otherLetters_) {
        if (letter == c) {
            return other_.data() + block * words_;
        }
    }
    return other_.data();
}

template <class It>
It Matcher::Automaton::Run(It first, It last, bool anywhere) const {
    if (words_ == 0) {
        return last;
    }
    // Bit j of the state: the pattern's first j + 1 characters end at the current character.
    // A pattern of up to 64 characters, nearly every query, needs one word.
    const uint64_t* alefMask = Mask(kAlef);
    uint64_t start = 1;
    if (words_ == 1) {
        uint64_t state = 0;
        for (It it = first; it != last; ++it) {
            const bool optional = *it == kOptionalAlef;
            const uint64_t taken = ((state << 1) | start) & *(optional ? alefMask : Mask(*it));
            state = optional ? (state | taken) : taken;
            if (state & lastBit_) {
                return it;
            }
            if (!anywhere) {
                if (state == 0) {
                    return last;
                }
                start = 0;
            }
        }
        return last;
    }
    std::vector<uint64_t> state(words_, 0);
    for (It it = first; it != last; ++it) {
        const bool optional = *it == kOptionalAlef;
        const uint64_t* mask = optional ? alefMask : Mask(*it);
        uint64_t carry = start;
        uint64_t any = 0;
        for (size_t w = 0; w < words_; ++w) {
            const uint64_t before = state[w];
            const uint64_t taken = ((before << 1) | carry) & mask[w];
            carry = before >> 63;
            state[w] = optional ? (before | taken) : taken;
            any |= state[w];
        }
        if (state[words_ - 1] & lastBit_) {
            return it;
        }
        if (!anywhere) {
            if (any == 0) {
                return last;
            }
            start = 0;
        }
    }
    return last;
}

Matcher::Matcher(QStringView query) : forward_(u""), backward_(u"") {
    std::u16string folded = FoldQuery(query);
    if (folded.size() > kLongestQuery) {
        folded.clear();
    }
    length_ = folded.size();
    letters_ = LetterSet(folded);
    forward_ = Automaton(folded);
    std::reverse(folded.begin(), folded.end());
    backward_ = Automaton(folded);
}

bool Matcher::FoundIn(std::u16string_view folded) const {
    return length_ != 0 && folded.size() >= length_ &&
           forward_.Run(folded.begin(), folded.end(), true) != folded.end();
}

std::vector<Span> Matcher::Occurrences(std::u16string_view folded) const {
    std::vector<Span> spans;
    if (length_ == 0) {
        return spans;
    }
    auto from = folded.begin();
    while (from != folded.end()) {
        const auto end = forward_.Run(from, folded.end(), true);
        if (end == folded.end()) {
            break;
        }
        // The match that ends there and begins last.
        const auto begin = backward_.Run(std::make_reverse_iterator(end + 1),
                                         std::make_reverse_iterator(from), false);
        spans.emplace_back(static_cast<int>(begin.base() - 1 - folded.begin()),
                           static_cast<int>(end + 1 - folded.begin()));
        from = end + 1;
    }
    return spans;
}

}  // namespace pagora::search

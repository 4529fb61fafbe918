#pragma once

#include <QStringView>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pagora::search {

// Uthmani spelling and everyday spelling meet in a folded form: marks, tatweel, the hamza on the
// line, a few Quranic signs and all white space are dropped, the alef, yeh, teh marbuta, waw
// and yeh hamza forms are mapped to their plain letters. A verse keeps its superscript alef
// (U+0670) as an optional alef, which matches an alef of the query or nothing; in a query it
// is an alef.
inline constexpr char16_t kOptionalAlef = u'\u0670';

// Appends the folded `verse` to `folded` and, for each folded character, its index in `verse`
// to `origin`.
void FoldVerse(QStringView verse, std::u16string& folded, std::vector<int>& origin);

std::u16string FoldQuery(QStringView query);

// One bit for each character that a folded text holds (folded from c % 64; the optional alef
// counts as an alef). A text can hold a query only when its letters include the query's.
uint64_t LetterSet(std::u16string_view folded);

// Half-open range [begin, end) of characters.
using Span = std::pair<int, int>;

// A query folded once and looked for in folded verses. A match lies within one folded text;
// an empty folded query matches nothing.
class Matcher {
  public:
    explicit Matcher(QStringView query);

    bool IsEmpty() const { return length_ == 0; }
    uint64_t Letters() const { return letters_; }
    bool FoundIn(std::u16string_view folded) const;
    // Every occurrence that does not overlap an earlier one, leftmost first, as spans of
    // `folded`.
    std::vector<Span> Occurrences(std::u16string_view folded) const;

  private:
    // Bit-parallel matching of the folded query (one bit per query character); an optional
    // alef of the text may be taken as an alef or skipped.
    class Automaton {
      public:
        explicit Automaton(std::u16string_view pattern);
        // Steps through [first, last) and returns where the whole pattern is first complete,
        // or last. Unless `anywhere`, a match must begin at `first`.
        template <class It>
        It Run(It first, It last, bool anywhere) const;

      private:
        const uint64_t* Mask(char16_t c) const {
            return c >= 0x0600 && c < 0x0700 ? arabic_.data() + (c - 0x0600u) * words_
                                             : OtherMask(c);
        }
        const uint64_t* OtherMask(char16_t c) const;

        size_t words_ = 0;
        uint64_t lastBit_ = 0;
        std::vector<uint64_t> arabic_;  // the masks of U+0600 to U+06FF
        std::vector<uint64_t> other_;   // an all-zero mask, then one for each other letter
        std::vector<std::pair<char16_t, size_t>> otherLetters_;  // and its block in other_
    };

    size_t length_ = 0;
    uint64_t letters_ = 0;
    Automaton forward_;
    Automaton backward_;  // the reversed query, to find where a match begins
};

}  // namespace pagora::search

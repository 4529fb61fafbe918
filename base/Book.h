#pragma once

namespace pagora {

// The printed mushaf the reader shows: the Madani layout of the Hafs reading.
inline constexpr int kFirstPage = 1;
inline constexpr int kPageCount = 604;
inline constexpr int kSuraCount = 114;
inline constexpr int kJuzCount = 30;
inline constexpr int kHizbQuarterCount = 240;
inline constexpr int kVerseCount = 6236;
// Pages are spread over the archives "order0.dat".."order9.dat" by the last digit of their key.
inline constexpr int kPageArchiveCount = 10;

}  // namespace pagora

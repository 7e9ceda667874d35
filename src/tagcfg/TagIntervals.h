#pragma once

#include <QString>

// What an interval code means, as the interval sliders show it. Most pages use the 21-entry table
// (codes 0..20, "0.005 Sec" .. "600 Sec"); the "TAG" page has 16 entries, where codes 11..13 read
// "5 Sec", "2.5 Sec", "5 Sec" and 14, 15 "10 Sec", "20 Sec".
namespace TagIntervals {
constexpr int kFullCount = 21;
constexpr int kTagPageCount = 16;
// The text of `code` in the 21-entry table; empty outside 0..20.
QString fullText(int code);
// The text of `code` in the "TAG" page's table; empty outside 0..15.
QString tagPageText(int code);
} // namespace TagIntervals

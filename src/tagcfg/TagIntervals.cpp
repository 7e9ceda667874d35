#include "tagcfg/TagIntervals.h"

namespace TagIntervals {
namespace {

constexpr const char *kFull[kFullCount] = {
    "0.005 Sec", "0.01 Sec", "0.02 Sec", "0.04 Sec", "0.06 Sec", "0.08 Sec", "0.15 Sec",
    "0.3 Sec",   "0.6 Sec",  "1.2 Sec",  "2.5 Sec",  "3 Sec",    "4 Sec",    "5 Sec",
    "10 Sec",    "20 Sec",   "40 Sec",   "60 Sec",   "120 Sec",  "300 Sec",  "600 Sec"};

constexpr const char *kTagPageTail[kTagPageCount - 11] = {"5 Sec", "2.5 Sec", "5 Sec", "10 Sec", "20 Sec"};

} // namespace

QString fullText(int code)
{
    return code >= 0 && code < kFullCount ? QString::fromLatin1(kFull[code]) : QString();
}

QString tagPageText(int code)
{
    if (code < 0 || code >= kTagPageCount)
        return {};
    return code <= 10 ? fullText(code) : QString::fromLatin1(kTagPageTail[code - 11]);
}

} // namespace TagIntervals

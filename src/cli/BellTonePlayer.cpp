#include "BellTonePlayer.h"

#include <cstdio>

void BellTonePlayer::play(int, int)
{
    if (m_sinceLast.isValid() && m_sinceLast.elapsed() < kMinGapMs)
        return;
    m_sinceLast.start();
    std::fputc('\a', stderr);
    std::fflush(stderr);
}

#pragma once

#include <QtGlobal>

#include <random>

// The simulator's one source of chance: a 64-bit Mersenne twister with helpers whose results do not
// depend on the standard library's distributions, so a seed gives the same run everywhere.
class SimRandom
{
public:
    explicit SimRandom(quint64 seed) : m_engine(seed) {}

    // Mixes a seed with a stream number, so that readers and purposes get independent sequences.
    static quint64 derive(quint64 seed, quint64 stream)
    {
        quint64 z = seed + 0x9E3779B97F4A7C15ULL * (stream + 1);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    quint64 next() { return m_engine(); }
    // 0 <= result < bound (bound > 0).
    quint64 below(quint64 bound) { return next() % bound; }
    // lo <= result <= hi.
    int between(int lo, int hi) { return lo + int(below(quint64(hi - lo) + 1)); }
    // 0 <= result < 1.
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    // True with probability p (0 never, 1 always).
    bool chance(double p) { return p > 0 && (p >= 1 || unit() < p); }

private:
    std::mt19937_64 m_engine;
};

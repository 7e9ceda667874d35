// Frames per second through line cutting and report decoding, next to the cost of only scanning
// the same bytes for CR with memchr, in the same run.
//
//   ./build/bench/decode_bench [megabytes=32] [rounds=5]

#include "link/LineCutter.h"
#include "reading/ReportDecoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <cstdio>
#include <cstring>

namespace {

// A realistic mix: mostly standard and one-temperature tags, some of each 31-character kind, a few
// tamper-marked lines, every UID one of 5,000 tags.
QByteArray makeStream(qsizetype bytes)
{
    QRandomGenerator rng(42);
    QByteArray out;
    out.reserve(bytes + 64);
    while (out.size() < bytes) {
        char line[64];
        const unsigned uid = 1000 + rng.bounded(5000);
        const unsigned rssi = rng.bounded(256), lqi = rng.bounded(256), di = rng.bounded(256);
        int n = std::snprintf(line, sizeof line, "%s%016u%02X%02X%02X", rng.bounded(50) == 0 ? "J00" : "",
                              uid, rssi, lqi, di);
        switch (rng.bounded(10)) {
        case 0:
        case 1:
        case 2:
        case 3:
            break; // standard
        case 4:
        case 5:
            n += std::snprintf(line + n, 16, "%04X", 0x0320 + rng.bounded(64));
            break;
        case 6:
            n += std::snprintf(line + n, 16, "%04X%04X", 0x0320, 0x0480);
            break; // two temperature
        case 7:
            n += std::snprintf(line + n, 16, "%04X%04X", 0x4000, rng.bounded(65536));
            break; // raw word
        case 8:
            n += std::snprintf(line + n, 16, "%04X%04X", 0x9964, 0x03E8);
            break; // humidity
        default:
            n += std::snprintf(line + n, 16, "%04X%04X", 0xFA3B, 0x3A3B);
            break; // kelvin
        }
        line[n++] = '\r';
        out.append(line, n);
    }
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::atoi(argv[1]) : 32;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const QByteArray stream = makeStream(qsizetype(megabytes) << 20);
    const qsizetype chunk = 1024; // what one serial read hands over at most

    double bestScan = 1e9, bestDecode = 1e9;
    quint64 lines = 0, reports = 0;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        quint64 crs = 0;
        const char *p = stream.constData(), *end = p + stream.size();
        while (const void *hit = std::memchr(p, '\r', size_t(end - p))) {
            ++crs;
            p = static_cast<const char *>(hit) + 1;
        }
        bestScan = std::min(bestScan, t.nsecsElapsed() / 1e9);
        lines = crs;

        LineCutter cutter;
        ReportDecoder decoder;
        quint64 count = 0;
        QObject::connect(&decoder, &ReportDecoder::reportDecoded, &decoder,
                         [&count](const TTagReport &, const QString &) { ++count; });
        const QString label = QStringLiteral("COM01");
        t.restart();
        for (qsizetype off = 0; off < stream.size(); off += chunk)
            cutter.feed(QByteArrayView(stream).sliced(off, std::min(chunk, stream.size() - off)),
                        [&](QByteArrayView frame) { decoder.decodeReport(frame, label); });
        bestDecode = std::min(bestDecode, t.nsecsElapsed() / 1e9);
        reports = count;
    }
    std::printf("stream: %d MiB, %llu lines, %llu reports decoded\n", megabytes, (unsigned long long)lines,
                (unsigned long long)reports);
    std::printf("memchr scan for CR : %12.0f lines/s (%.1f ms)\n", lines / bestScan, bestScan * 1e3);
    std::printf("cut + decode       : %12.0f frames/s (%.1f ms)\n", lines / bestDecode, bestDecode * 1e3);
    std::printf("decode cost / scan : %.1fx (target: at most 10x)\n", bestDecode / bestScan);
    return 0;
}

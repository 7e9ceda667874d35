#include "link/LineCutter.h"

#include <QtTest>

namespace {
QList<QByteArray> cut(LineCutter &c, const QList<QByteArray> &chunks)
{
    QList<QByteArray> frames;
    for (const QByteArray &chunk : chunks)
        c.feed(chunk, [&](QByteArrayView f) { frames.append(f.toByteArray()); });
    return frames;
}
} // namespace

class TestLineCutter : public QObject
{
    Q_OBJECT
private slots:
    void cutsLinesAcrossChunks()
    {
        LineCutter c;
        const auto frames = cut(c, {"000000000000123450A3FF", "\r00000000000012", "3450A3FE\rtail"});
        QCOMPARE(frames, (QList<QByteArray>{"000000000000123450A3FF\r", "000000000000123450A3FE\r"}));
        QCOMPARE(c.pendingLength(), qsizetype(4));
    }

    void stxStartsAFreshLine()
    {
        LineCutter c;
        const auto frames = cut(c, {"garbage\x02T00", "12xx\r", "ab\x02\x02Q\r"});
        QCOMPARE(frames, (QList<QByteArray>{"\x02T0012xx\r", "\x02Q\r"}));
    }

    void loneCrsGiveOneByteFrames()
    {
        LineCutter c;
        QCOMPARE(cut(c, {"\r\r"}), (QList<QByteArray>{"\r", "\r"}));
    }

    void longLinesAreDroppedNotGrown()
    {
        LineCutter c;
        QList<QByteArray> frames = cut(c, {QByteArray(5000, 'x')});
        QVERIFY(frames.isEmpty());
        QVERIFY(c.pendingLength() < LineCutter::kMaxLine);
        QVERIFY(c.droppedLines() >= 4);
        // A line of exactly 1023 characters plus CR is still a frame.
        c.clear();
        frames = cut(c, {QByteArray(1023, 'y') + '\r'});
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames[0].size(), 1024);
    }
};

QTEST_APPLESS_MAIN(TestLineCutter)
#include "tst_line_cutter.moc"

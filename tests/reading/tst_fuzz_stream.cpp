// Seeded random and mutated byte streams through every parser that reads what a reader (or a host)
// sends: the line cutter and report decoder, the reply assembler with the reply checks, and the
// simulated reader's command parser. Each round is deterministic, so a failure names its seed. The
// checks are the invariants the rest of the program relies on; the sanitizer build catches the rest.
#include "ReportLines.h"
#include "link/CommandFrame.h"
#include "link/LineCutter.h"
#include "link/ReplyAssembler.h"
#include "reading/ReportDecoder.h"
#include "sim/CommandParser.h"
#include "sim/SimFrame.h"

#include <QTest>
#include <random>

using namespace CommandFrame;

namespace {

constexpr int kRounds = 4000;

// Report lines, replies and commands as they appear on a link, the material mutations start from.
QByteArray seedMaterial(int n)
{
    switch (n % 6) {
    case 0:
        return ReportLines::line(n);
    case 1:
        return ReportLines::line(n, "FE", "1A2B");
    case 2:
        return ReportLines::line(n, "7F", "01F40BB8");
    case 3:
        return "J05" + ReportLines::line(n, "FF", "81234567");
    case 4:
        return '\x02' + QByteArray("V0304") + byteToHex(calcBcc("\x02V0304")) + '\r';
    default:
        return buildCommandFrame("W1C01C7");
    }
}

class Mutator
{
public:
    explicit Mutator(quint32 seed) : m_rng(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

    // One stream of a few kilobytes: valid material, mutated material and raw noise interleaved.
    QByteArray stream()
    {
        QByteArray out;
        const int pieces = 1 + below(60);
        for (int i = 0; i < pieces; ++i) {
            switch (below(4)) {
            case 0:
                out += seedMaterial(below(100000));
                break;
            case 1:
                out += mutate(seedMaterial(below(100000)));
                break;
            case 2:
                out += noise(below(64));
                break;
            default:
                out += storm();
                break;
            }
        }
        return out;
    }

    // Splits a stream into the chunk sizes a port or socket might deliver.
    QList<QByteArrayView> chunks(const QByteArray &bytes)
    {
        QList<QByteArrayView> out;
        qsizetype at = 0;
        while (at < bytes.size()) {
            const qsizetype n = qMin<qsizetype>(bytes.size() - at, 1 + below(below(4) == 0 ? 2000 : 40));
            out.append(QByteArrayView(bytes).sliced(at, n));
            at += n;
        }
        return out;
    }

private:
    QByteArray noise(int n)
    {
        QByteArray out(n, Qt::Uninitialized);
        for (char &c : out)
            c = char(below(256));
        return out;
    }

    QByteArray storm()
    {
        static const char kSpecial[] = {'\x02', '\x01', '\r', '\0', '\n', 'R', 'J'};
        switch (below(3)) {
        case 0:
            return QByteArray(1 + below(40), kSpecial[below(int(sizeof kSpecial))]);
        case 1:
            return QByteArray(1000 + below(3000), char('0' + below(10))); // a line far past the limit
        default:
            return noise(1 + below(8)) + '\r';
        }
    }

    QByteArray mutate(QByteArray b)
    {
        const int edits = 1 + below(4);
        for (int e = 0; e < edits && !b.isEmpty(); ++e) {
            const int at = below(int(b.size()));
            switch (below(5)) {
            case 0:
                b[at] = char(b[at] ^ (1 << below(8)));
                break;
            case 1:
                b.remove(at, 1 + below(4));
                break;
            case 2:
                b.insert(at, char(below(256)));
                break;
            case 3:
                b.truncate(at);
                break;
            default:
                b.insert(at, b.mid(at, below(8)));
                break;
            }
        }
        return b;
    }

    std::mt19937 m_rng;
};

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

} // namespace

class TestFuzzStream : public QObject
{
    Q_OBJECT
private slots:
    void cutterAndDecoderHoldTheirInvariants();
    void replyAssemblerStaysBounded();
    void simulatorCommandParserStaysBounded();
};

void TestFuzzStream::cutterAndDecoderHoldTheirInvariants()
{
    ReportDecoder decoder;
    int decoded = 0;
    connect(&decoder, &ReportDecoder::reportDecoded, this, [&decoded](const TTagReport &r, const QString &) {
        ++decoded;
        // Whatever got through is a report the tables can show: a 16-character UID and sensor texts.
        QCOMPARE(r.uid.size(), 16);
        QVERIFY(!r.t1.isEmpty());
        QVERIFY(!r.t2.isEmpty());
    });
    for (int seed = 1; seed <= kRounds; ++seed) {
        Mutator m{quint32(seed)};
        const QByteArray bytes = m.stream();
        LineCutter cutter;
        qsizetype cutBytes = 0;
        for (QByteArrayView chunk : m.chunks(bytes)) {
            cutter.feed(chunk, [&](QByteArrayView frame) {
                cutBytes += frame.size();
                QVERIFY2(frame.endsWith('\r'), qPrintable(QStringLiteral("seed %1").arg(seed)));
                QVERIFY2(frame.size() <= LineCutter::kMaxLine,
                         qPrintable(QStringLiteral("seed %1").arg(seed)));
                decoder.decodeReport(frame, QStringLiteral("COM01"));
            });
            QVERIFY(cutter.pendingLength() <= LineCutter::kMaxLine);
        }
        QVERIFY(cutBytes + cutter.pendingLength() <= bytes.size());
        QVERIFY(decoder.tamperCountdown() >= 0 &&
                decoder.tamperCountdown() <= ReportDecoder::kTamperCountdownLimit);
    }
    QVERIFY(decoded > 0); // the valid material in the streams still decodes
}

void TestFuzzStream::replyAssemblerStaysBounded()
{
    int complete = 0;
    for (int seed = 1; seed <= kRounds; ++seed) {
        Mutator m{quint32(seed) * 7919u};
        ReplyAssembler assembler;
        const QByteArray bytes = m.stream();
        for (QByteArrayView chunk : m.chunks(bytes)) {
            while (!chunk.isEmpty()) {
                qsizetype consumed = 0;
                const bool done = assembler.feed(chunk, &consumed);
                QVERIFY(consumed >= 0 && consumed <= chunk.size());
                QVERIFY(assembler.length() >= 0 && assembler.length() <= ReplyAssembler::kBufferSize);
                if (!done) {
                    QCOMPARE(consumed, chunk.size());
                    break;
                }
                ++complete;
                const QByteArray reply = assembler.reply();
                QVERIFY(reply.startsWith('\x02'));
                QVERIFY(reply.endsWith('\r'));
                // The checks a caller runs on any completed reply never read outside it.
                const bool bccOk = checkReplyBcc(reply);
                const QByteArray payload = replyPayload(reply);
                QVERIFY(payload.size() < reply.size());
                Q_UNUSED(bccOk)
                assembler.reset();
                chunk = chunk.sliced(consumed);
            }
        }
    }
    QVERIFY(complete > 0);
}

void TestFuzzStream::simulatorCommandParserStaysBounded()
{
    int ok = 0;
    for (int seed = 1; seed <= kRounds; ++seed) {
        Mutator m{quint32(seed) * 104729u};
        CommandParser parser;
        const QByteArray bytes = m.stream();
        for (QByteArrayView chunk : m.chunks(bytes)) {
            parser.feed(chunk);
            while (parser.hasFrame()) {
                const CommandParser::Frame frame = parser.takeFrame();
                QVERIFY(frame.raw.size() <= SimFrame::kMaxCommandFrame + 1);
                if (frame.status == CommandParser::Status::Ok) {
                    ++ok;
                    QVERIFY(frame.raw.startsWith('\x01'));
                    QVERIFY(std::all_of(frame.raw.end() - 3, frame.raw.end() - 1,
                                        [](char c) { return isHex(QLatin1Char(c)); }));
                }
            }
        }
    }
    QVERIFY(ok > 0);
}

QTEST_GUILESS_MAIN(TestFuzzStream)
#include "tst_fuzz_stream.moc"

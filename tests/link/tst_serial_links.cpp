#include "PtyPair.h"
#include "link/CommandFrame.h"
#include "link/SerialReadingLinks.h"
#include "reading/ReadingSession.h"
#include "reading/ReportDecoder.h"

#include "ReportLines.h"
#include <QSignalSpy>
#include <QSocketNotifier>

#include <QtTest>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The reader side of one pty: collects what the host sent, and answers each command frame with a
// valid reply when asked to.
class FakeReader : public QObject
{
public:
    explicit FakeReader(PtyPair &pty, bool answer) : m_pty(pty), m_answer(answer)
    {
        m_notifier = new QSocketNotifier(pty.masterFd(), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            const QByteArray bytes = m_pty.readAvailable();
            received += bytes;
            m_pending += bytes;
            qsizetype cr;
            while ((cr = m_pending.indexOf('\r')) >= 0) {
                const QByteArray frame = m_pending.left(cr + 1);
                m_pending.remove(0, cr + 1);
                if (m_answer && frame.size() >= 4) {
                    QByteArray reply = "\x02" + frame.mid(1, frame.size() - 4);
                    reply += CommandFrame::byteToHex(CommandFrame::calcBcc(reply));
                    reply += '\r';
                    m_pty.write(reply);
                }
            }
        });
    }
    QByteArray received;

private:
    PtyPair &m_pty;
    bool m_answer;
    QByteArray m_pending;
    QSocketNotifier *m_notifier;
};

QByteArray frameOf(const char *command)
{
    return CommandFrame::buildCommandFrame(command);
}

struct Rig
{
    Rig(const SerialPortMap &map, const QList<int> &ports, const Timing &timing) : links(map, ports, timing)
    {
        session.setTiming(timing);
        QObject::connect(&session, &ReadingSession::frameReady, &decoder, &ReportDecoder::decodeReport);
        QObject::connect(&decoder, &ReportDecoder::reportDecoded, &decoder,
                         [this](const TTagReport &r, const QString &label) {
                             reports.append({r.uid, label});
                         });
    }
    SerialReadingLinks links;
    ReadingSession session;
    ReportDecoder decoder;
    QList<QPair<QString, QString>> reports;
};

QByteArray report(int n)
{
    return ReportLines::line(n, "FF");
}

} // namespace

class TestSerialLinks : public QObject
{
    Q_OBJECT
private slots:
    void opensChosenPortsAndTalksToTheLowest()
    {
        PtyPair com3, com7;
        QVERIFY(com3.isValid() && com7.isValid());
        SerialPortMap map;
        map.setDevice(3, com3.slavePath());
        map.setDevice(5, QStringLiteral("/nonexistent/ttyTalvo5"));
        map.setDevice(7, com7.slavePath());
        Timing timing;
        timing.replyWaitMs = 3000; // long: replies must end the waits, not the time-out
        Rig rig(map, {7, 5, 3}, timing);
        FakeReader reader3(com3, true), reader7(com7, true);
        QSignalSpy problems(&rig.links, &ReadingLinks::problem);
        QSignalSpy opened(&rig.links, &ReadingLinks::opened);
        QSignalSpy commands(&rig.links, &SerialReadingLinks::commandFinished);

        rig.session.start(&rig.links);
        QCOMPARE(rig.links.openPorts(), (QList<int>{3, 7}));
        QCOMPARE(rig.links.highestOpenPort(), 7);
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems[0][0].value<Problem>().englishText().contains(QStringLiteral("COM05")));

        QVERIFY(opened.wait(2000)); // both answered well before the 3 s reply wait
        QCOMPARE(commands.size(), 2);
        QVERIFY(commands[0][1].toBool() && commands[1][1].toBool());
        QCOMPARE(reader3.received, frameOf("M0") + frameOf("A3"));
        QCOMPARE(reader7.received, QByteArray());

        // Reports from both ports, one line split over two writes and one after a stray STX.
        com3.write(report(1) + report(2).left(10));
        com7.write(report(101));
        QTRY_COMPARE(rig.reports.size(), 2);
        com3.write(report(2).mid(10) +
                   "\x02"
                   "noise" +
                   report(3).left(5));
        com3.write(report(3).mid(5));
        QTRY_COMPARE(rig.reports.size(), 3);
        QVERIFY(!rig.reports.contains({QString::fromLatin1(report(3).left(16)), QStringLiteral("COM03")}));
        com3.write(report(4));
        com7.write(report(102));
        QTRY_COMPARE(rig.reports.size(), 5);
        QList<QString> fromCom3, fromCom7;
        for (const auto &r : std::as_const(rig.reports))
            (r.second == QLatin1String("COM03") ? fromCom3 : fromCom7).append(r.first.right(3));
        QCOMPARE(fromCom3, (QList<QString>{"001", "002", "004"}));
        QCOMPARE(fromCom7, (QList<QString>{"101", "102"}));

        QSignalSpy ended(&rig.session, &ReadingSession::ended);
        rig.session.stop();
        QVERIFY(ended.wait(2000));
        QCOMPARE(reader3.received, frameOf("M0") + frameOf("A3") + frameOf("A0"));
        QVERIFY(rig.links.openPorts().isEmpty());
    }

    void unansweredCommandsTimeOutAndReadingGoesOn()
    {
        PtyPair com1;
        SerialPortMap map;
        map.setDevice(1, com1.slavePath());
        Timing timing;
        timing.replyWaitMs = 30;
        Rig rig(map, {1}, timing);
        FakeReader silent(com1, false);
        QSignalSpy commands(&rig.links, &SerialReadingLinks::commandFinished);
        QSignalSpy opened(&rig.links, &ReadingLinks::opened);
        rig.session.start(&rig.links);
        // Reports sent while the start commands wait for their replies are read, not purged.
        com1.write(report(7));
        QVERIFY(opened.wait(2000));
        QCOMPARE(commands.size(), 2);
        QVERIFY(!commands[0][1].toBool());
        QTRY_COMPARE(rig.reports.size(), 1);
        QSignalSpy ended(&rig.session, &ReadingSession::ended);
        rig.session.stop();
        QVERIFY(ended.wait(2000));
    }

    void largeBurstIsReadWhole()
    {
        PtyPair com2;
        SerialPortMap map;
        map.setDevice(2, com2.slavePath());
        Timing timing;
        timing.replyWaitMs = 10;
        Rig rig(map, {2}, timing);
        QSignalSpy opened(&rig.links, &ReadingLinks::opened);
        rig.session.start(&rig.links);
        QVERIFY(opened.wait(2000));
        QByteArray burst;
        for (int i = 1; i <= 200; ++i) // 4,600 bytes queued at once
            burst += report(i);
        QVERIFY(com2.write(burst));
        QTRY_COMPARE(rig.reports.size(), 200);
        QCOMPARE(rig.reports.last().first.right(3), QStringLiteral("200"));
        rig.session.stop();
        QTRY_VERIFY(rig.session.state() == ReadingSession::State::Idle);
    }

    void givesThePortItsSettingsBack()
    {
        PtyPair com4;
        termios before{};
        ::tcgetattr(com4.masterFd(), &before);
        cfsetispeed(&before, B9600);
        cfsetospeed(&before, B9600);
        int fd = ::open(com4.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0);
        ::tcsetattr(fd, TCSANOW, &before);

        SerialPortMap map;
        map.setDevice(4, com4.slavePath());
        Timing timing;
        timing.replyWaitMs = 10;
        Rig rig(map, {4}, timing);
        QSignalSpy opened(&rig.links, &ReadingLinks::opened);
        rig.session.start(&rig.links);
        QVERIFY(opened.wait(2000));
        termios during{};
        ::tcgetattr(fd, &during);
        QCOMPARE(cfgetospeed(&during), speed_t(B115200));
        rig.session.stop();
        QTRY_VERIFY(rig.session.state() == ReadingSession::State::Idle);
        termios after{};
        ::tcgetattr(fd, &after);
        QCOMPARE(cfgetospeed(&after), speed_t(B9600));
        ::close(fd);
    }
};

QTEST_GUILESS_MAIN(TestSerialLinks)
#include "tst_serial_links.moc"

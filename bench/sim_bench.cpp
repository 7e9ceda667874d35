// Throughput of talvo-sim's report generation over loopback TCP: N simulated readers connect (each
// from its own 127.0.0.x address) to a counting listener running on a second thread, and the
// simulator is asked for a total rate. Prints the lines generated and received per second, and checks
// the lines' sequence UIDs for loss.
//
//   sim_bench [--readers N] [--rate R] [--seconds S]
//   sim_bench --listen PORT [--readers N] [--seconds S]   (only the listener, for the talvo-sim program:
//       talvo-sim --tcp-client 127.0.0.1:PORT --readers N --rate R --sequence-uids)
#include "BenchSupport.h"
#include "sim/SequenceChecker.h"
#include "sim/SimOptions.h"
#include "sim/Simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <memory>

namespace {

std::atomic<quint64> g_linesReceived{0};
std::atomic<int> g_connections{0};

// Accepts connections, cuts lines and checks their sequence UIDs; lives on its own thread.
class CountingSink : public QObject
{
public:
    SequenceChecker checker; // read by the main thread only after the sink thread has ended

    bool listen(quint16 port)
    {
        m_server = new QTcpServer(this);
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server->nextPendingConnection()) {
                s->setReadBufferSize(0);
                ++g_connections;
                auto *rest = new QByteArray;
                connect(s, &QObject::destroyed, [rest] { delete rest; });
                connect(s, &QTcpSocket::readyRead, s, [this, s, rest] {
                    *rest += s->readAll();
                    quint64 lines = 0;
                    qsizetype start = 0;
                    for (qsizetype cr; (cr = rest->indexOf('\r', start)) >= 0; start = cr + 1) {
                        checker.check(QByteArrayView(*rest).sliced(start, cr - start));
                        ++lines;
                    }
                    rest->remove(0, start);
                    g_linesReceived += lines;
                });
            }
        });
        return m_server->listen(QHostAddress::LocalHost, port);
    }
    quint16 port() const { return m_server->serverPort(); }

private:
    QTcpServer *m_server = nullptr;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int readers = intArg(args, "--readers", 128);
    const int rate = intArg(args, "--rate", 400000);
    const int seconds = intArg(args, "--seconds", 5);
    const int listenPort = intArg(args, "--listen", 0);

    QThread sinkThread;
    CountingSink sink;
    sink.moveToThread(&sinkThread);
    sinkThread.start();
    quint16 port = 0;
    QMetaObject::invokeMethod(
        &sink, [&] { port = sink.listen(quint16(listenPort)) ? sink.port() : 0; },
        Qt::BlockingQueuedConnection);
    if (port == 0) {
        std::fprintf(stderr, "sim_bench: cannot listen\n");
        return 1;
    }

    SimOptions o;
    o.transport = SimOptions::Transport::TcpClient;
    o.host = "127.0.0.1";
    o.port = port;
    o.bind = QHostAddress("127.0.0.2");
    o.readers = readers;
    o.rate = rate;
    o.tags = 500;
    o.sequenceUids = true;
    std::unique_ptr<Simulator> sim;
    if (listenPort == 0) {
        sim = std::make_unique<Simulator>(o);
        QString error;
        if (!sim->start(&error)) {
            std::fprintf(stderr, "sim_bench: %s\n", qPrintable(error));
            return 1;
        }
    }
    auto linesSent = [&sim] { return sim ? sim->linesSent() : 0; };

    // Measure from the moment every reader is connected, after one second of warm-up.
    QElapsedTimer clock;
    quint64 sent0 = 0, received0 = 0;
    bool warmedUp = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (!clock.isValid()) {
            if (g_connections.load() < readers)
                return;
            clock.start();
            return;
        }
        if (!warmedUp && clock.elapsed() >= 1000) {
            warmedUp = true;
            sent0 = linesSent();
            received0 = g_linesReceived.load();
            clock.restart();
            return;
        }
        if (warmedUp && clock.elapsed() >= seconds * 1000) {
            const double s = clock.elapsed() / 1000.0;
            const double sent = double(linesSent() - sent0) / s;
            const double received = double(g_linesReceived.load() - received0) / s;
            if (sim)
                std::printf(
                    "sim_bench: %d readers over loopback TCP, asked %d lines/s: generated %.0f lines/s, "
                    "received %.0f lines/s, dropped %llu lines in all\n",
                    readers, rate, sent, received, static_cast<unsigned long long>(sim->linesDropped()));
            else
                std::printf("sim_bench: listener on 127.0.0.1:%d, %d connections: received %.0f lines/s\n",
                            listenPort, g_connections.load(), received);
            app.quit();
        }
    });
    poll.start();
    const int rc = app.exec();
    if (sim)
        sim->stop();
    sinkThread.quit();
    sinkThread.wait();
    std::printf("sim_bench: sequence check: %llu lines from %d readers, %llu lost, %llu out of order\n",
                static_cast<unsigned long long>(sink.checker.received()), sink.checker.readersSeen(),
                static_cast<unsigned long long>(sink.checker.lost()),
                static_cast<unsigned long long>(sink.checker.outOfOrder()));
    return rc;
}

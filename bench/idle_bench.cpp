// CPU used by a reading session whose serial ports are open but quiet: the session must not poll.
//
//   ./build/bench/idle_bench [ports=8] [seconds=20]

#include "link/SerialReadingLinks.h"
#include "reading/ReadingSession.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {
double cpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int ports = argc > 1 ? std::atoi(argv[1]) : 8;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 20;
    SerialPortMap map;
    QList<int> numbers;
    for (int i = 1; i <= ports; ++i) {
        int master = -1, slave = -1;
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return 1;
        map.setDevice(i, QString::fromLocal8Bit(name));
        numbers.append(i);
    }
    Timing timing;
    timing.replyWaitMs = 50;
    SerialReadingLinks links(map, numbers, timing);
    ReadingSession session;
    session.setTiming(timing);
    double startCpu = 0;
    QObject::connect(&links, &ReadingLinks::opened, &app, [&] {
        startCpu = cpuSeconds();
        QTimer::singleShot(seconds * 1000, &app, [&] {
            const double used = cpuSeconds() - startCpu;
            std::printf("%d open quiet ports for %d s: %.3f CPU seconds = %.3f CPU s per minute\n",
                        int(links.openPorts().size()), seconds, used, used * 60.0 / seconds);
            session.stop();
        });
    });
    QObject::connect(&session, &ReadingSession::ended, &app, &QCoreApplication::quit);
    session.start(&links);
    return app.exec();
}

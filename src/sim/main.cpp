// talvo-sim: simulated readers for developing and testing the host without hardware.
#include "sim/SimOptions.h"
#include "sim/Simulator.h"
#include "sim/StopSignals.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("talvo-sim");
    QCoreApplication::setApplicationVersion("1.0");

    QString error;
    QString exitText;
    const auto options = SimOptions::parse(app.arguments(), &error, &exitText);
    if (!options) {
        if (!exitText.isEmpty()) {
            std::fputs(qPrintable(exitText), stdout);
            return 0;
        }
        std::fprintf(stderr, "talvo-sim: %s\n", qPrintable(error));
        return 2;
    }

    Simulator simulator(*options);
    QObject::connect(&simulator, &Simulator::logLine,
                     [](const QString &line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
    StopSignals stopSignals;
    stopSignals.install();
    // What was counted as sent goes out before the program ends.
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &simulator, &Simulator::finish);
    QObject::connect(&simulator, &Simulator::finished, &app, &QCoreApplication::quit);
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "talvo-sim: %s\n", qPrintable(error));
        return 1;
    }
    // The endpoints on stdout, one per reader (a pty path is what the host needs to open).
    for (const QString &endpoint : simulator.endpoints())
        std::printf("%s\n", qPrintable(endpoint));
    std::fflush(stdout);
    const int rc = app.exec();
    std::fprintf(stderr, "talvo-sim: stopped, %llu lines sent, %llu dropped\n",
                 static_cast<unsigned long long>(simulator.linesSent()),
                 static_cast<unsigned long long>(simulator.linesDropped()));
    return rc;
}

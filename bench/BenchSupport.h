#pragma once

// Small helpers the benchmark programs share: reading a numeric option and running the event loop
// until a condition holds.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

// The number after `name` on the command line, or `fallback`.
inline int intArg(const QStringList &args, const QString &name, int fallback)
{
    const int i = int(args.indexOf(name));
    return i >= 0 && i + 1 < args.size() ? args[i + 1].toInt() : fallback;
}

// Runs the event loop until `done` holds or `ms` pass; true when it held.
inline bool runUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || t.elapsed() >= ms)
            loop.quit();
    });
    tick.start(5);
    if (!done())
        loop.exec();
    return done();
}

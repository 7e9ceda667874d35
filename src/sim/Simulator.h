#pragma once

#include "sim/ReportPacer.h"
#include "sim/SimOptions.h"
#include "sim/TagPopulation.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

class ReaderChannel;
class SimTransport;

// A whole simulator run as the talvo-sim program makes it from its options: one tag population
// shared by N readers, each on its own transport, and one pacer for their report lines. Tests of the
// host can run it in-process.
class Simulator : public QObject
{
    Q_OBJECT
public:
    explicit Simulator(const SimOptions &options, QObject *parent = nullptr);
    ~Simulator() override;

    // Opens every reader's transport and starts the pacer; false with *error when one cannot open.
    bool start(QString *error);
    void stop();
    // Ends the run without losing what was counted as sent: no more lines are made, the lines still
    // waiting in this program go out (for at most kFinishWaitMs), then the transports close and
    // finished() follows.
    void finish();
    static constexpr int kFinishWaitMs = 3000;

    // Where each reader can be reached (pty paths, "tcp-server 127.0.0.1:4001", ...), in reader order.
    QStringList endpoints() const;
    int readerCount() const { return int(m_channels.size()); }
    ReaderChannel &channel(int index) { return *m_channels[size_t(index)]; }
    TagPopulation &tags() { return m_tags; }
    quint64 linesSent() const;
    quint64 linesDropped() const;

signals:
    void logLine(const QString &line);
    // The --count limit was reached: no more lines will be generated.
    void generationFinished();
    void finished();

private:
    std::unique_ptr<SimTransport> makeTransport(int index) const;
    void printStats();
    void checkFinished();
    qint64 unsentBytes() const;

    SimOptions m_options;
    TagPopulation m_tags;
    std::vector<std::unique_ptr<ReaderChannel>> m_channels;
    std::unique_ptr<ReportPacer> m_pacer;
    QTimer m_statsTimer;
    QTimer m_finishTimer;
    QElapsedTimer m_finishing;
    quint64 m_lastSent = 0;
};

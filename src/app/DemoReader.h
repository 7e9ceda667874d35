#pragma once

#include <QObject>
#include <memory>

class Simulator;
class TfrmModule;

// `--demo`: a simulated reader on a pseudo-terminal stands for COM1, and the window reads it. Where
// no pseudo-terminal can be had, the recorded reports that ship with the program are replayed instead.
class DemoReader : public QObject
{
    Q_OBJECT
public:
    explicit DemoReader(QObject *parent = nullptr);
    ~DemoReader() override;

    // Starts the reader and a reading session in `window`; false when the replay had to stand in.
    bool start(TfrmModule &window, int tags = 20, double reportsPerSecond = 20.0);
    // The device the simulated reader answers on (empty with the replay).
    QString device() const { return m_device; }

private:
    std::unique_ptr<Simulator> m_simulator;
    QString m_device;
};

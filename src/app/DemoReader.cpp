#include "app/DemoReader.h"

#include "app/TfrmModule.h"
#include "link/DemoReplayLinks.h"
#include "sim/Simulator.h"

#include <QFile>
#include <QTimer>

DemoReader::DemoReader(QObject *parent) : QObject(parent) {}

DemoReader::~DemoReader() = default;

bool DemoReader::start(TfrmModule &window, int tags, double reportsPerSecond)
{
    SimOptions options;
    options.transport = SimOptions::Transport::Pty;
    options.tags = tags;
    options.rate = reportsPerSecond;
    m_simulator = std::make_unique<Simulator>(options);
    QString error;
    if (m_simulator->start(&error) && !m_simulator->endpoints().isEmpty()) {
        m_device = m_simulator->endpoints().constFirst();
        window.readSerialPort(1, m_device);
        return true;
    }
    m_simulator.reset();
    QFile file(QStringLiteral(":/demo/demo-reports.txt"));
    const QByteArray recording = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    window.reading()->setLinksFactory(
        [recording](const LinkRequest &) { return std::make_unique<DemoReplayLinks>(recording, 5, 50); });
    QTimer::singleShot(0, window.reading(), &ReadTagController::startOrStop);
    return false;
}

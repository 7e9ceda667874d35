#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <memory>

// A real mosquitto broker on a free loopback port, for tests. The port is found by binding to port
// 0 and giving it back; a broker that then cannot bind it (taken in between) is started again on
// another. restart() keeps the port, the store (persistence) and the options.
class MosquittoBroker
{
public:
    static QString program()
    {
        return QStandardPaths::findExecutable(QStringLiteral("mosquitto"),
                                              {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin"),
                                               QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin")});
    }

    // extraConfig: more lines for the configuration file (e.g. "allow_anonymous false").
    explicit MosquittoBroker(const QByteArray &extraConfig = {}) : m_extra(extraConfig) {}
    ~MosquittoBroker() { kill(); }

    bool start()
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost, 0))
                continue;
            m_port = probe.serverPort();
            probe.close();
            if (launch())
                return true;
        }
        return false;
    }

    // Stops the broker as a service stop does (its store is written) and waits for it to end.
    bool stop()
    {
        if (!m_process)
            return true;
        m_process->terminate();
        const bool ended = m_process->waitForFinished(10000);
        m_process.reset();
        return ended;
    }
    bool restart() { return launch(); }
    void kill()
    {
        if (!m_process)
            return;
        m_process->kill();
        m_process->waitForFinished(5000);
        m_process.reset();
    }

    quint16 port() const { return m_port; }
    QString url() const { return QStringLiteral("mqtt://127.0.0.1:%1").arg(m_port); }
    QString log() const { return m_log; }

private:
    bool launch()
    {
        // A broker started as root runs as the "mosquitto" user: without access to the folder it
        // cannot write its store, and says so only in its log (persistence silently off).
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                                QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
        const QString conf = m_dir.filePath(QStringLiteral("mosquitto.conf"));
        QFile f(conf);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        f.write("listener " + QByteArray::number(m_port) + " 127.0.0.1\n");
        f.write(m_extra.contains("allow_anonymous") ? QByteArray() : QByteArray("allow_anonymous true\n"));
        // A subscriber's session keeps what arrives while it is away (QoS 1): the store survives a
        // restart, and the queue holds far more than the default thousand messages.
        f.write("max_queued_messages 100000\n");
        f.write("persistence true\npersistence_location " + QDir(m_dir.path()).absolutePath().toUtf8() +
                "/\n");
        f.write("log_dest stderr\n" + m_extra + "\n");
        f.close();
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::MergedChannels);
        m_process->start(program(), {QStringLiteral("-c"), conf});
        if (!m_process->waitForStarted(5000))
            return false;
        // Ready once it takes connections; gone when the port could not be had.
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            if (m_process->state() != QProcess::Running) {
                m_log += QString::fromLocal8Bit(m_process->readAll());
                m_process.reset();
                return false;
            }
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_port);
            if (probe.waitForConnected(200))
                return true;
            m_process->waitForReadyRead(50);
            m_log += QString::fromLocal8Bit(m_process->readAll());
        }
        return false;
    }

    QByteArray m_extra;
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
    QString m_log;
};

#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The wire of one simulated reader: a pty, a serial device, TCP in either role, or UDP. It delivers
// the bytes each peer sends (a peer is a host connection or a UDP sender) and carries the reader's
// replies back to the peer that asked and its report lines to whoever takes reports.
class SimTransport : public QObject
{
    Q_OBJECT
public:
    using PeerId = quint64;
    // A peer whose output backlog passes this many bytes gets no more report lines until it drains:
    // a reader whose host does not keep up loses lines instead of hoarding them.
    static constexpr qint64 kBacklogLimit = 256 * 1024;

    using QObject::QObject;
    ~SimTransport() override = default;

    // Starts listening, connecting or opening the device; false (with errorText()) when it cannot.
    virtual bool open() = 0;
    virtual void close() = 0;
    // Where the reader can be reached, e.g. "/dev/pts/7" or "tcp-server 127.0.0.1:4001".
    virtual QString endpoint() const = 0;
    // Sends a reply to one peer; ignored when the peer has gone.
    virtual void sendTo(PeerId peer, const QByteArray &bytes) = 0;
    // Sends report lines (whole lines only) to every peer that takes reports. False when nobody
    // took them (no peer, or every peer's backlog is full): the lines are lost, as on a real reader.
    virtual bool sendReports(const QByteArray &lines) = 0;
    // A peer is there to take reports.
    virtual bool hasPeer() const = 0;
    // The local port listened on or bound (TCP server, UDP; useful after asking for port 0), else 0.
    virtual quint16 localPort() const { return 0; }
    // Bytes taken for sending (and counted as sent) that still wait in this program, not yet handed
    // to the system: they are lost if the transport closes now.
    virtual qint64 unsentBytes() const { return 0; }

    QString errorText() const { return m_errorText; }

signals:
    void bytesReceived(SimTransport::PeerId peer, const QByteArray &bytes);
    void peerConnected(const QString &peer);
    void peerDisconnected(const QString &peer);
    // A peer's connection ended: its partial input can be forgotten.
    void peerClosed(SimTransport::PeerId peer);

protected:
    void setErrorText(const QString &text) { m_errorText = text; }

private:
    QString m_errorText;
};

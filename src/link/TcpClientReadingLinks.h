#pragma once

#include "base/PortText.h"
#include "link/NetworkReadingLinks.h"
#include "link/ReconnectSchedule.h"

#include <QElapsedTimer>
#include <QList>
#include <QTimer>
#include <memory>
#include <vector>

class QTcpSocket;
class SocketReadingSource;

// A ticked entry of the reader address list: its number (1..20 on the page) and its address text.
struct ReaderAddress
{
    int number = 0;
    QString address;
};

// Connections from this program to readers that listen ("TCP Server" page). One socket per ticked
// reader address, all on one remote port. A reader is greeted once its connection completes and is
// read under its configured address, as source number = reader number. A reader that cannot be
// reached or whose connection drops is reported and left alone until the links close, unless the
// links reconnect: then it is tried again (ReconnectSchedule) on a new connection, read again under
// the same number once connected, and greeted again so that it reports again. A reconnecting
// attempt that gets no answer within half the longest wait has failed. The bytes of the lost
// connection are read before its source goes; nothing of the new one comes before them. With an
// idle time-out (Timing::idleTimeoutMs) a connected reader that sends nothing for that long is
// treated as a lost connection; TCP keepalive notices a reader gone from an idle connection.
class TcpClientReadingLinks : public NetworkReadingLinks
{
    Q_OBJECT
public:
    static constexpr int kMaxReaderNumber = 256;

    explicit TcpClientReadingLinks(QObject *parent = nullptr);
    ~TcpClientReadingLinks() override;
    Q_DISABLE_COPY_MOVE(TcpClientReadingLinks)

    // Entries with a number outside 1..kMaxReaderNumber or a number already listed are skipped.
    void setReaders(const QList<ReaderAddress> &readers);
    // The port text is rewritten as its integer value (4001 when it is not one) when the links open.
    void setRemotePortText(const QString &text) { m_remotePortText = text; }
    const QString &remotePortText() const { return m_remotePortText; }
    int highestClientIndex() const { return m_highestClientIndex; }
    int connectedCount() const;
    // Readers that drop or cannot be reached are tried again until the links close.
    void setReconnect(bool on) { m_reconnect = on; }
    bool reconnects() const { return m_reconnect; }

    void open() override;

signals:
    // A reader connection completed while reading (address and port of the remote end).
    void readerConnected(const QString &address, quint16 port);
    // Every reader has failed to connect or dropped its connection: nothing more will come.
    void allReadersDown();
    // Configuration mode: a reader connection completed and is handed to the configuration side. The
    // socket stays owned by the links and is closed with them; it is not read or greeted.
    void connectionOffered(QTcpSocket *socket);

protected:
    void sendFrameToAll(const QByteArray &frame) override;
    void stopGreetings() override;
    void closeLinks() override;

private:
    struct Reader
    {
        int number = 0;
        QString address;
        SocketReadingSource *source = nullptr;
        bool connected = false;
        bool added = false;
        bool down = false; // could not connect, or dropped
        bool lost = false; // reconnecting: the last connection dropped or an attempt failed
        std::unique_ptr<ReconnectSchedule> retry;
        QElapsedTimer heard; // since the reader's last bytes (or the connection)
    };

    void handleConnected(Reader &reader);
    void handleDisconnected(Reader &reader);
    void handleError(Reader &reader);
    void checkSilence();
    void handleSilent(Reader &reader);
    void reportUnreachable(Reader &reader, const QString &why);
    int attemptTimeMs() const;
    void markDown(Reader &reader);
    void connectReader(Reader &reader);
    void retryLater(Reader &reader, const QString &reason);
    void releaseSource(Reader &reader);
    void tearDown();
    QString addressPortText(const Reader &reader) const;

    QList<ReaderAddress> m_addresses;
    QString m_remotePortText = PortText::defaultText();
    quint16 m_remotePort = 0; // the port of the open links' readers
    std::vector<std::unique_ptr<Reader>> m_readers;
    int m_highestClientIndex = 0;
    bool m_reconnect = false;
    QTimer m_settle;
    QTimer m_idleCheck;
};

#pragma once

// A scripted reader for the exchange tests: it cuts the command frames the host sends (over a pty's
// master side, a TCP connection or UDP), records them byte for byte, and answers each with what the
// test's responder returns (good replies, damaged ones, noise, or nothing).

#include "PtyPair.h"
#include "link/CommandFrame.h"

#include <QNetworkDatagram>
#include <QObject>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QUdpSocket>

#include <functional>
#include <memory>
#include <unistd.h>

class FakeReader : public QObject
{
public:
    using Responder = std::function<QByteArray(const QByteArray &command)>;

    // A good reply frame: STX, payload, BCC digits, CR.
    static QByteArray reply(const QByteArray &payload)
    {
        const QByteArray head = "\x02" + payload;
        return head + CommandFrame::byteToHex(CommandFrame::calcBcc(head)) + '\r';
    }
    // The same with its last BCC digit changed.
    static QByteArray badBccReply(const QByteArray &payload)
    {
        QByteArray frame = reply(payload);
        char &digit = frame[frame.size() - 2];
        digit = digit == '0' ? '1' : '0';
        return frame;
    }

    void setResponder(Responder responder) { m_responder = std::move(responder); }

    void attachPty(PtyPair &pty)
    {
        const int fd = pty.masterFd();
        m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this, fd] {
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0)
                handleBytes(QByteArray(buffer, int(n)));
        });
        m_write = [&pty](const QByteArray &bytes) { pty.write(bytes); };
    }

    void attachSocket(QTcpSocket *socket)
    {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { handleBytes(socket->readAll()); });
        m_write = [socket](const QByteArray &bytes) { socket->write(bytes); };
    }

    // Answers datagrams to `socket` from `answerFrom` (the same socket unless given).
    void attachUdp(QUdpSocket *socket, QUdpSocket *answerFrom = nullptr)
    {
        QUdpSocket *out = answerFrom ? answerFrom : socket;
        connect(socket, &QUdpSocket::readyRead, this, [this, socket, out] {
            while (socket->hasPendingDatagrams()) {
                const QNetworkDatagram d = socket->receiveDatagram();
                m_write = [out, d](const QByteArray &bytes) {
                    out->writeDatagram(bytes, d.senderAddress(), quint16(d.senderPort()));
                };
                handleBytes(d.data());
            }
        });
    }

    QList<QByteArray> frames;   // as received, SOH through CR
    QList<QByteArray> commands; // the command texts

private:
    void handleBytes(const QByteArray &bytes)
    {
        m_pending += bytes;
        qsizetype cr;
        while ((cr = m_pending.indexOf('\r')) >= 0) {
            const QByteArray chunk = m_pending.left(cr + 1);
            m_pending.remove(0, cr + 1);
            const qsizetype soh = chunk.lastIndexOf('\x01');
            if (soh < 0)
                continue;
            const QByteArray frame = chunk.mid(soh);
            frames.append(frame);
            commands.append(frame.mid(1, frame.size() - 4));
            const QByteArray answer = m_responder ? m_responder(commands.last()) : QByteArray();
            if (!answer.isEmpty() && m_write)
                m_write(answer);
        }
    }

    Responder m_responder;
    std::function<void(const QByteArray &)> m_write;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_pending;
};

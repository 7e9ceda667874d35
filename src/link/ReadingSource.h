#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// One source of reader bytes: a serial port, a connection to a reader, an accepted connection or a
// UDP sender. The reading session takes a source's waiting bytes when its turn comes; a source says
// readyRead() whenever new bytes wait. The base keeps its own pending buffer (appendBytes); sources
// whose transport already buffers (sockets) override isEligible() and takeBytes().
class ReadingSource : public QObject
{
    Q_OBJECT
public:
    explicit ReadingSource(const QString &label, QObject *parent = nullptr);

    // The name handed on with every frame: "COM03", or the reader's address.
    const QString &label() const { return m_label; }
    void setLabel(const QString &label) { m_label = label; }

    virtual bool isEligible() const { return !m_pending.isEmpty(); }
    // Every byte waiting, in order.
    virtual QByteArray takeBytes();

    // Queues bytes for the session and says readyRead().
    void appendBytes(QByteArrayView bytes);
    // Bytes queued by appendBytes() and not yet taken.
    qsizetype pendingSize() const { return m_pending.size(); }

signals:
    void readyRead();

private:
    QByteArray m_pending;
    QString m_label;
};

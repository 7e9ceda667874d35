#pragma once

#include "link/ReadingLinks.h"

#include <QFile>
#include <QString>
#include <memory>

class QSocketNotifier;
class ReadingSource;

// Raw reader bytes from a file, or from standard input ("-"), as one reading source. Used to replay
// what a reader sent (a capture, a demo file) through the same session as a live link. The bytes are
// handed on in chunks as fast as the session takes them; inputFinished() says the end was reached.
class ReplayReadingLinks : public ReadingLinks
{
    Q_OBJECT
public:
    static constexpr qint64 kChunk = 64 * 1024;

    explicit ReplayReadingLinks(const QString &path, const QString &label = QStringLiteral("REPLAY"),
                                QObject *parent = nullptr);
    ~ReplayReadingLinks() override;
    Q_DISABLE_COPY_MOVE(ReplayReadingLinks)

    void open() override;
    void close() override;
    // A replayed source cannot hear commands; they are dropped.
    void broadcastCommand(const QByteArray &) override {}

    bool isFinished() const { return m_finished; }

signals:
    void inputFinished();

private:
    void readNextChunk();
    void readFromNotifier();
    void finish();

    QString m_path;
    QString m_label;
    QFile m_file;
    std::unique_ptr<ReadingSource> m_source;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_finished = false;
    bool m_open = false;
};

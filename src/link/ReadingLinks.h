#pragma once

#include "base/Problem.h"
#include "link/LinkLogEvent.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class ReadingSource;

// The links of one kind (serial ports, connections to readers, a listener, UDP) for one reading
// session. open() starts them and greets the readers; sources appear and disappear through
// sourceAdded/sourceRemoved as ports open and readers connect. close() tells the readers to stop
// sending, closes everything and says closed() once done; no source is used after that.
class ReadingLinks : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~ReadingLinks() override = default;

    virtual void open() = 0;
    virtual void close() = 0;
    // Frames a reader command and sends it over the links (e.g. "BT"), paced like the start commands.
    virtual void broadcastCommand(const QByteArray &command) = 0;

signals:
    // `index` is the source's number: COM port number, reader number, listener slot, UDP slot (1..).
    void sourceAdded(int index, ReadingSource *source);
    // Said before the source is deleted; its remaining bytes may still be taken during the call.
    void sourceRemoved(int index);
    // Something the user must see: a port that cannot be opened, a reader lost, a send that failed.
    // Said once, as data: the window words it in the user's language, the command line prints its
    // englishText().
    void problem(const Problem &problem);
    // A line for the link's connection log ("Connected:192.168.1.101 Port:4001"), as data.
    void logged(const LinkLogEvent &event);
    void opened();
    void closed();
    // Links that reconnect: `endpoint` ("127.0.0.1:4001", "COM03 (/dev/ttyUSB0)") is lost or was not
    // reached (`reason`, the system's words) and is tried again in `delayMs`.
    void reconnectScheduled(const QString &endpoint, int delayMs, const QString &reason);
    // A reconnection attempt succeeded; the reader has been sent its start commands again.
    void reconnected(const QString &endpoint);

protected:
    // `pattern` is the English text with "%1".."%3" standing for `details`.
    void raiseProblem(const QString &pattern, const QStringList &details = {})
    {
        raiseProblem({Problem::Severity::Warning, Problem::Kind::Link, pattern, details});
    }
    void raiseProblem(const Problem &raised) { emit problem(raised); }
};

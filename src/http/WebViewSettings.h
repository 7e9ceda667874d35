#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>

// How a session's web view listens and what it lets in. Only the address and port are chosen by
// the user in the usual case; the limits keep a hostile or careless client from costing the reading
// session memory or time.
struct WebViewSettings
{
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 0;         // 0: any free port (tests)
    QByteArray token;         // when not empty, every request needs "Authorization: Bearer <token>"
    QString corsOrigin;       // the one origin allowed to read the API from a page of its own; empty: none
    int maxConnections = 256; // open HTTP connections at once; more are answered 503
    int maxLiveClients = 64;  // live-stream clients at once; more are answered 503
    int maxRequestBytes = 16 * 1024;     // one request's bytes (line, headers and body): 431 or 413
    int maxHeaders = 64;                 // header fields of one request: 431
    int requestTimeoutMs = 10000;        // a request must arrive whole within this: 408
    int idleTimeoutMs = 60000;           // a connection with no request for this long is closed
    int streamBatchMs = 100;             // live events go out in batches this often
    int streamBatchTags = 500;           // changed tags in one batch at most; the rest are a gap
    qint64 streamBacklogBytes = 1 << 20; // a client with more than this unsent skips batches (a gap)
    int streamStallMs = 10000;           // a client that stays behind this long is dropped
};

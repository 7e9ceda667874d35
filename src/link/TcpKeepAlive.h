#pragma once

#include <QString>
#include <QtGlobal>

class QAbstractSocket;

// TCP keepalive with short timings on a connection to a reader. A reader that loses power or its
// cable sends nothing, not even a reset: without probes the connection would look open for hours.
// With these timings an idle connection whose reader is gone is ended after
// kIdleSec + kIntervalSec * kProbes seconds (25 s), and the link reports it as lost; where the
// system can bound how long sent data may stay unacknowledged, the same bound applies to it.
//
// The system calls differ per platform; this is the one place that makes them.
namespace TcpKeepAlive {

inline constexpr int kIdleSec = 10;    // silence before the first probe
inline constexpr int kIntervalSec = 5; // between unanswered probes
inline constexpr int kProbes = 3;      // unanswered probes that end the connection
inline constexpr int kDetectionSec = kIdleSec + kIntervalSec * kProbes;

// Turns keepalive on for a connected socket's descriptor; false, with the system's reason in `why`,
// when the system refused.
bool enable(qintptr descriptor, QString *why = nullptr);
// The same for a connected socket (nothing happens to one that is not connected).
bool enable(QAbstractSocket *socket, QString *why = nullptr);

} // namespace TcpKeepAlive

#pragma once

#include <QByteArrayView>
#include <QHash>

// Checks report lines made with sequence UIDs (reader number in the first 4 digits, that reader's
// running line number in the other 12) for lost, repeated or reordered lines, reader by reader.
// Meant for benchmarks and tests of the host's links.
class SequenceChecker
{
public:
    // Takes the UID of one line (its first 16 characters); false when they are not a sequence UID.
    bool check(QByteArrayView uid);

    quint64 received() const { return m_received; }
    // Line numbers skipped so far (lines lost after the last one received are not known yet).
    quint64 lost() const { return m_lost; }
    // Lines whose number was not above the reader's last one (repeats or reordering).
    quint64 outOfOrder() const { return m_outOfOrder; }
    int readersSeen() const { return int(m_last.size()); }
    // The highest line number received from a reader (0 when none).
    quint64 highest(int readerNumber) const { return m_last.value(readerNumber); }

private:
    QHash<int, quint64> m_last;
    quint64 m_received = 0;
    quint64 m_lost = 0;
    quint64 m_outOfOrder = 0;
};

#pragma once

#include <QString>

// One row of a tag table: the latest values reported for one UID. A row restored from the saved
// selection list carries only its UID until its first report arrives (`reported` is false).
// The fields a report writes come first and fill one cache line, so that entering a report into one
// of many thousands of rows costs a single line.
struct alignas(64) TagRow
{
    QString t1;
    QString t2;
    qint64 count = 0; // reports entered for this UID since the row was created
    quint8 rssi = 0;
    quint8 lqi = 0;
    quint8 di = 0xFF; // event flags of the latest report
    bool reported = false;
    QString uid;
};

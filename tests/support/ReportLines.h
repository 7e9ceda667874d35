#pragma once

#include "reading/TagReport.h"

#include <QByteArray>

// Report material shared by the tests.
namespace ReportLines {

// A standard report line as a reader sends it: UID n in 16 digits, RSSI 50, LQI A3, the DI byte
// (FF: no flag, FE: [SW]), optional sensor words, CR.
inline QByteArray line(int n, const char *di = "FF", const char *words = "")
{
    return QByteArray::number(n).rightJustified(16, '0') + "50A3" + di + words + '\r';
}

// A decoded report with the fields given.
inline TTagReport report(const QString &uid, quint8 rssi = 0x50, quint8 lqi = 0xA3, quint8 di = 0xFF,
                         const QString &t1 = QStringLiteral("-"), const QString &t2 = QStringLiteral("-"))
{
    TTagReport r;
    r.uid = uid;
    r.rssi = rssi;
    r.lqi = lqi;
    r.di = di;
    r.t1 = t1;
    r.t2 = t2;
    return r;
}

} // namespace ReportLines

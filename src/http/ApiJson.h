#pragma once

#include "http/IsoTime.h"
#include "http/ReaderDirectory.h"
#include "http/TagDirectory.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>

// The JSON the API and the live stream send. A tag is written by hand (it is on the path of every
// report and of tables with many thousands of rows); readers and problems through QJsonObject.
namespace ApiJson {

// {"uid","reader","rssi","lqi","di","t1","t2","count","first_seen","last_seen","tamper",
//  "low_battery","temperature_alarm"}; `extra` (e.g. "\"type\":\"report\",\"seq\":7,") goes first.
QByteArray tag(const TagDirectory::Entry &entry, IsoTime &time, const QByteArray &extra = {});
QJsonObject problem(const ReaderDirectory::Logged &logged, IsoTime &time);
QJsonArray problems(const std::deque<ReaderDirectory::Logged> &list, IsoTime &time);
QJsonObject reader(const ReaderDirectory::Reader &reader, IsoTime &time);
// {"error": text}
QByteArray error(const QString &text);

} // namespace ApiJson

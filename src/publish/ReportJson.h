#pragma once

#include "reading/TagReport.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The JSON form of one report, shared by `talvo-cli read --format jsonl` and the MQTT publisher so
// that both say exactly the same: {"uid":..,"rssi":..,"lqi":..,"di":..,"t1":..,"t2":..,"kind":..,
// "label":..}. A published report carries two more fields at the end, "site" and "reader" (the
// label). Texts are plain ASCII: anything else is written as \uXXXX.
namespace ReportJson {

QByteArray jsonString(const QString &text);

// The object as one JSON line prints it (no line end).
QByteArray object(const TTagReport &report, const QString &label);
// The object a publisher sends: the line's fields, then "site" and "reader".
QByteArray published(const TTagReport &report, const QString &label, const QString &site);

// A published report read back.
struct Received
{
    TTagReport report;
    QString label; // the publisher's own label for the reader
    QString site;
    QString reader;
};

// Reads a published report; nullopt and a reason (for the user) when the payload is not one. Every
// field must be what a reader and a publisher can send: a UID of 16 hex digits, RSSI and LQI 0..255,
// a DI flag text, T1 and T2 in the form the kind's sensor words give, and a site, reader and label
// without control characters or the CSV separator. A report from anywhere else could forge log lines.
std::optional<Received> parse(const QByteArray &payload, QString *why);

} // namespace ReportJson

#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

// Something the user must learn about, as data: what kind of thing happened, how bad it is, its
// English text with "%1", "%2", "%3" standing for `details`, and the details. The window turns it into
// words in the user's language (problemText), the command line in English.
struct Problem
{
    enum class Severity
    {
        Warning, // reading goes on
        Error,   // something was lost, refused or cannot work
    };
    enum class Kind
    {
        Message,               // a text said as it is, with no details
        NoReadingLinks,        // no links for the chosen link kind
        SelectionListNotSaved, // details: file, reason
        SelectionLinesSkipped, // details: how many lines
        CsvLinesNotWritten,    // details: lines so far, reason
        CsvRefused,            // details: file
        CsvFallback,           // details: file asked for, file used
        CsvNotEmptied,         // the old selected-tags log was kept; details: file, reason
        Broker,                // an MQTT broker link; details: what the broker or the system said
        ConfigLinkFailed,      // a configuration link could not open or was lost; details: device or
                               // address, port, the system's reason (as the text uses them)
        Link,                  // a reading link's port, reader or send; details as the text uses them
    };

    Severity severity = Severity::Warning;
    Kind kind = Kind::Message;
    QString text; // English; "%1", "%2" stand for the details
    QStringList details;

    static Problem message(const QString &text) { return {Severity::Warning, Kind::Message, text, {}}; }

    // `pattern` with its "%1".."%3" replaced by `values`, all in one pass, so that a value holding
    // "%2" is shown as it is.
    static QString filledIn(const QString &pattern, const QStringList &values)
    {
        switch (values.size()) {
        case 0:
            return pattern;
        case 1:
            return pattern.arg(values[0]);
        case 2:
            return pattern.arg(values[0], values[1]);
        default:
            return pattern.arg(values[0], values[1], values[2]);
        }
    }
    QString englishText() const { return filledIn(text, details); }
};
Q_DECLARE_METATYPE(Problem)

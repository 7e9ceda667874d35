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
        Message,               // a text the links still say in words (no details)
        NoReadingLinks,        // no links for the chosen link kind
        SelectionListNotSaved, // details: file, reason
        SelectionLinesSkipped, // details: how many lines
        CsvLinesNotWritten,    // details: lines so far, reason
        CsvRefused,            // details: file
        CsvFallback,           // details: file asked for, file used
        Broker,                // an MQTT broker link; details: what the broker or the system said
        ConfigLinkFailed,      // a configuration link could not open or was lost; details: device or
                               // address, port, the system's reason (as the text uses them)
    };

    Severity severity = Severity::Warning;
    Kind kind = Kind::Message;
    QString text; // English; "%1", "%2" stand for the details
    QStringList details;

    static Problem message(const QString &text) { return {Severity::Warning, Kind::Message, text, {}}; }
};
Q_DECLARE_METATYPE(Problem)

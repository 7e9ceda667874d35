#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

// Something the user must learn about, as data: the window and the command line turn it into text in
// their language (ProblemText). `details` are the values the message names, in its order.
struct Problem
{
    enum class Severity
    {
        Warning, // reading goes on
        Error,   // something was lost or cannot work
    };
    enum class Kind
    {
        Message,               // details[0] is the whole English text (links still say theirs as text)
        NoReadingLinks,        // no links for the chosen link kind
        SelectionListNotSaved, // details: file, reason
        CsvLinesNotWritten,    // details: lines so far, reason
    };

    Severity severity = Severity::Warning;
    Kind kind = Kind::Message;
    QStringList details;

    static Problem message(const QString &text) { return {Severity::Warning, Kind::Message, {text}}; }
};
Q_DECLARE_METATYPE(Problem)

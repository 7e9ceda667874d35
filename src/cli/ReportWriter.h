#pragma once

#include "reading/TagReport.h"

#include <QByteArray>
#include <QString>
#include <cstdio>

// Prints reports to a stdio stream, one line each: JSON objects or CSV rows (with a header row).
// Output is buffered; flush() hands it on (the reader calls it on a timer and at the end). Once the
// stream refuses bytes (a closed pipe, a full disk) the writer has failed: error() says why, and what
// comes after is dropped.
class ReportWriter
{
public:
    enum class Format
    {
        JsonLines,
        Csv
    };

    ReportWriter(std::FILE *out, Format format);
    void write(const TTagReport &report, const QString &label);
    // False when the stream refused the bytes, now or before.
    bool flush();
    quint64 written() const { return m_written; }
    bool failed() const { return !m_error.isEmpty(); }
    QString error() const { return m_error; }

    static QByteArray jsonString(const QString &text);
    static QByteArray csvField(const QString &text);

private:
    std::FILE *m_out;
    Format m_format;
    QByteArray m_buffer;
    QString m_error;
    bool m_headerDone = false;
    quint64 m_written = 0;
};

#pragma once

#include "reading/TagReport.h"

#include <QByteArray>
#include <cstdio>

// Prints reports to a stdio stream, one line each: JSON objects or CSV rows (with a header row).
// Output is buffered; flush() hands it on (the reader calls it on a timer and at the end).
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
    bool flush();
    quint64 written() const { return m_written; }

    static QByteArray jsonString(const QString &text);
    static QByteArray csvField(const QString &text);

private:
    std::FILE *m_out;
    Format m_format;
    QByteArray m_buffer;
    bool m_headerDone = false;
    quint64 m_written = 0;
};

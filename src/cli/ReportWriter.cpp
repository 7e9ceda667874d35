#include "ReportWriter.h"

#include "publish/ReportJson.h"
#include "reading/DiFlags.h"

#include <cerrno>

ReportWriter::ReportWriter(std::FILE *out, Format format) : m_out(out), m_format(format)
{
    m_buffer.reserve(1 << 16);
}

QByteArray ReportWriter::jsonString(const QString &text)
{
    return ReportJson::jsonString(text);
}

QByteArray ReportWriter::csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') && !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

void ReportWriter::write(const TTagReport &r, const QString &label)
{
    if (failed())
        return;
    if (m_format == Format::JsonLines) {
        m_buffer += ReportJson::object(r, label) + '\n';
    } else {
        if (!m_headerDone) {
            m_buffer += "uid,rssi,lqi,di,t1,t2,kind,label\n";
            m_headerDone = true;
        }
        m_buffer += csvField(r.uid) + ',' + QByteArray::number(r.rssi) + ',' + QByteArray::number(r.lqi) +
                    ',' + csvField(diFlagText(r.di)) + ',' + csvField(r.t1) + ',' + csvField(r.t2) + ',' +
                    reportKindName(r.kind) + ',' + csvField(label) + '\n';
    }
    ++m_written;
    if (m_buffer.size() >= (1 << 16))
        flush();
}

bool ReportWriter::flush()
{
    if (failed() || m_buffer.isEmpty()) {
        m_buffer.clear();
        return !failed();
    }
    errno = 0;
    const size_t n = std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), m_out);
    const bool ok = n == size_t(m_buffer.size()) && std::fflush(m_out) == 0;
    m_buffer.clear();
    if (!ok)
        m_error = errno != 0 ? qt_error_string(errno) : QStringLiteral("write failed");
    return ok;
}

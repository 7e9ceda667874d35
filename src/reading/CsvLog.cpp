#include "reading/CsvLog.h"

#include "reading/LogTarget.h"
#include "reading/TagTableModel.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>

namespace {

const QString kFallbackName = QStringLiteral("Talvo.csv");

// printf "%Ns": shorter texts are padded on the left with blanks, longer ones are not cut.
void appendPadded(QByteArray &out, const QByteArray &text, int width)
{
    if (text.size() < width)
        out.append(width - text.size(), ' ');
    out.append(text);
}

void appendField(QByteArray &out, const QByteArray &text)
{
    out.append(text);
    out.append("\t,", 2);
}

QByteArray tenDigits(quint64 number)
{
    return QByteArray::number(number).rightJustified(10, '0');
}

QString folderOf(const QString &fileName)
{
    return QFileInfo(fileName).absolutePath();
}

} // namespace

CsvLog::CsvLog(QObject *parent)
    : QObject(parent), m_fileName(defaultFileName()), m_allFileName(allTagsFileNameFor(m_fileName)),
      m_fallbackFolder(folderOf(defaultFileName()))
{
}

CsvLog::~CsvLog() = default;

QString CsvLog::defaultFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Talvo.csv");
#else
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).filePath(kFallbackName);
#endif
}

QString CsvLog::allTagsFileNameFor(const QString &fileName)
{
    // Folder (with its separator) + name without extension + "_all" + extension. Both separators
    // count, so names typed the Windows way derive the same everywhere.
    const qsizetype slash =
        std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash)
        return fileName + QStringLiteral("_all");
    return fileName.left(dot) + QStringLiteral("_all") + fileName.mid(dot);
}

QString CsvLog::fallbackFileName() const
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(QDir(m_fallbackFolder).filePath(kFallbackName));
#else
    return QDir(m_fallbackFolder).filePath(kFallbackName);
#endif
}

QString CsvLog::fallbackAllTagsFileName() const
{
    return allTagsFileNameFor(fallbackFileName());
}

void CsvLog::setFileName(const QString &fileName)
{
    if (fileName == m_fileName)
        return;
    closeLogFiles(); // the next line goes to the new name
    m_fileName = fileName;
    emit fileNameChanged(m_fileName);
}

bool CsvLog::folderReady(const QString &fileName) const
{
    const QString folder = folderOf(fileName);
    return QFileInfo(folder).isDir() || QDir().mkpath(folder);
}

QString CsvLog::refusalText(Refusal::Reason reason)
{
    switch (reason) {
    case Refusal::Reason::NotRegularFile:
        return QStringLiteral("The CSV file %1 is not a regular file");
    case Refusal::Reason::SessionInput:
        return QStringLiteral("The CSV file %1 is a file this session reads");
    case Refusal::Reason::FolderNotCreated:
        return QStringLiteral("The folder of the CSV file %1 cannot be created");
    case Refusal::Reason::None:
        break;
    }
    return QStringLiteral("%1");
}

QString CsvLog::fallbackText()
{
    return QStringLiteral("The folder of %1 cannot be created; the CSV log goes to %2");
}

QString CsvLog::notEmptiedText()
{
    return QStringLiteral("The log %1 could not be emptied: %2");
}

CsvLog::Refusal CsvLog::refusalFor(const QString &fileName) const
{
    if (!LogTarget::isRegularOrAbsent(fileName))
        return {Refusal::Reason::NotRegularFile, fileName};
    for (const QString &input : m_inputs)
        if (!input.isEmpty() && LogTarget::sameFile(fileName, input))
            return {Refusal::Reason::SessionInput, fileName};
    return {};
}

bool CsvLog::ensureFolder()
{
    if (folderReady(m_fileName))
        return true;
    if (!m_fallbackAllowed)
        return false;
    const QString wanted = m_fileName;
    setFileName(fallbackFileName());
    emit fallbackUsed(wanted, m_fileName);
    return folderReady(m_fileName);
}

CsvLog::Refusal CsvLog::startSession(bool autoSave, bool allTags)
{
    closeLogFiles();
    if (autoSave) {
        if (!ensureFolder())
            return {Refusal::Reason::FolderNotCreated, m_fileName};
        Refusal refusal = refusalFor(m_fileName);
        if (!refusal.refused() && allTags)
            refusal = refusalFor(allTagsFileNameFor(m_fileName));
        if (refusal.refused())
            return refusal;
    }
    m_selCount = 0;
    m_allCount = 0;
    // Emptied in place: the file (its links, owner and permissions) stays.
    QFile old(m_fileName);
    if (autoSave && old.exists() && !old.resize(0)) {
        const Problem notEmptied{Problem::Severity::Warning,
                                 Problem::Kind::CsvNotEmptied,
                                 notEmptiedText(),
                                 {m_fileName, old.errorString()}};
        m_lastProblem = notEmptied.englishText();
        emit problem(notEmptied);
    }
    return {};
}

std::unique_ptr<QFile> CsvLog::openLog(const QString &fileName, QString *reason) const
{
    // Checked at every open: the name may have changed, or something else been put there, since the start.
    if (const Refusal refusal = refusalFor(fileName); refusal.refused()) {
        *reason = refusalText(refusal.reason).arg(fileName);
        return nullptr;
    }
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(QIODevice::Append | QIODevice::Unbuffered)) {
        *reason = QStringLiteral("%1: %2").arg(fileName, file->errorString());
        return nullptr;
    }
    return file;
}

QString CsvLog::writeFailureReason(const QFileDevice &file, int systemError)
{
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    if (systemError != 0)
        return qt_error_string(systemError);
    return QStringLiteral("the write was cut short");
}

bool CsvLog::appendLine(QFileDevice &file, const QByteArray &line, QString *reason)
{
    const qint64 before = file.isSequential() ? 0 : file.size();
    file.unsetError();
    qint64 done = 0;
    int systemError = 0;
    // A short write (the disk filling up, a file size limit) is carried on: the call after it either
    // writes the rest or fails with the system's reason.
    while (done < line.size()) {
        errno = 0;
        const qint64 n = file.write(line.constData() + done, line.size() - done);
        systemError = errno;
        if (n <= 0)
            break;
        done += n;
    }
    if (done == line.size())
        return true;
    *reason = QStringLiteral("%1: %2").arg(file.fileName(), writeFailureReason(file, systemError));
    if (!file.isSequential())
        file.resize(before); // no half line stays behind
    return false;
}

void CsvLog::reportUnwritten(quint64 lines, const QString &reason)
{
    m_unwritten += lines;
    m_lastProblem = reason;
    emit linesNotWritten(m_unwritten, reason);
}

bool CsvLog::appendCounted(QFile *file, const QByteArray &line, quint64 &count, QString &reason)
{
    if (file && appendLine(*file, line, &reason)) {
        ++count;
        return true;
    }
    reportUnwritten(1, reason);
    return false;
}

bool CsvLog::writeSelectedLine(const TagTableModel &selected, int row, const QString &label,
                               const QString &dateTime)
{
    QString reason;
    if (!m_selFile) {
        ensureFolder();
        m_selFile = openLog(m_fileName, &reason);
    }
    return appendCounted(m_selFile.get(), selectedLine(selected, row, m_selCount + 1, label, dateTime),
                         m_selCount, reason);
}

bool CsvLog::writeAllTagsLine(const TagTableModel &all, int row, const QString &label,
                              const QString &dateTime)
{
    QString reason;
    if (!m_allFile) {
        const QString derived = allTagsFileNameFor(m_fileName);
        if (derived != m_allFileName) {
            m_allFileName = derived;
            emit allTagsFileNameChanged(m_allFileName);
        }
        if (!folderReady(m_allFileName)) {
            m_allFileName = fallbackAllTagsFileName();
            emit allTagsFileNameChanged(m_allFileName);
            folderReady(m_allFileName);
        }
        m_allFile = openLog(m_allFileName, &reason);
    }
    return appendCounted(m_allFile.get(), allTagsLine(all, row, m_allCount + 1, label, dateTime), m_allCount,
                         reason);
}

void CsvLog::endReport()
{
    if (!m_keepOpenForBatch) {
        closeLogFiles();
        return;
    }
    if (m_closeQueued || !isAnyLogOpen())
        return;
    m_closeQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_closeQueued = false;
        closeLogFiles();
    });
}

void CsvLog::closeLogFiles()
{
    m_selFile.reset();
    m_allFile.reset();
}

bool CsvLog::writeSnapshot(const TagTableModel &selected)
{
    closeLogFiles();
    if (const Refusal refusal = refusalFor(m_fileName); refusal.refused()) {
        reportUnwritten(quint64(selected.size()), refusalText(refusal.reason).arg(m_fileName));
        return false;
    }
    QFile file(m_fileName);
    if (!file.open(QIODevice::Append | QIODevice::Unbuffered) &&
        !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        reportUnwritten(quint64(selected.size()),
                        QStringLiteral("%1: %2").arg(m_fileName, file.errorString()));
        return false;
    }
    QByteArray text;
    for (int r = 0; r < selected.size(); ++r) {
        using C = TagTableModel::Column;
        for (int c : {C::ColNo, C::ColUid, C::ColRssi, C::ColLqi, C::ColT1})
            appendField(text, selected.cellText(r, c).toUtf8());
        text.append(selected.cellText(r, C::ColT2).toUtf8());
        text.append("\r\n", 2);
    }
    QString reason;
    const bool ok = appendLine(file, text, &reason) && file.flush();
    if (!ok)
        reportUnwritten(quint64(selected.size()), reason.isEmpty() ? file.errorString() : reason);
    return ok;
}

namespace {

// One log line: counter, UID, RSSI, LQI, DI, T1, T2, label, date and time. The two logs differ only
// in the UID's width and how RSSI is written.
QByteArray logLine(const TagTableModel &table, int row, quint64 number, const QString &label,
                   const QString &dateTime, int uidWidth, const QByteArray &rssi)
{
    const TagRow &r = table.row(row);
    QByteArray line;
    line.reserve(128);
    appendPadded(line, tenDigits(number), 10);
    line.append("\t,", 2);
    appendPadded(line, r.uid.toUtf8(), uidWidth);
    line.append("\t,", 2);
    appendField(line, rssi);
    appendField(line, QByteArray::number(r.lqi));
    appendField(line, table.diText(row).toUtf8());
    appendField(line, r.t1.toUtf8());
    appendField(line, r.t2.toUtf8());
    appendField(line, label.toUtf8());
    appendPadded(line, dateTime.toUtf8(), 20);
    line.append("\r\n", 2);
    return line;
}

} // namespace

QByteArray CsvLog::selectedLine(const TagTableModel &selected, int row, quint64 number, const QString &label,
                                const QString &dateTime)
{
    return logLine(selected, row, number, label, dateTime, 20, QByteArray::number(selected.row(row).rssi));
}

QByteArray CsvLog::allTagsLine(const TagTableModel &all, int row, quint64 number, const QString &label,
                               const QString &dateTime)
{
    return logLine(all, row, number, label, dateTime, 16,
                   QByteArray::number(all.row(row).rssi).rightJustified(3, '0'));
}

#pragma once

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

// One row of a provisioning plan (what to run on which tag) and, once run, its result.
struct ProvisioningRow
{
    QString uid{};
    QString command{};
    QString args{}; // the command's arguments as on the command line: "--interval 10 --count 1"

    bool ok = false;
    QString text{};              // the panel's result text
    std::map<int, int> values{}; // read values by register
    double seconds = 0;
    int line = 0; // the row's line in the file it was read from (1 is the header)
};

// The plan file (header "uid,command,args") and the result file (header
// "uid,command,args,ok,text,values,seconds"; ok 1 or 0, values as "40=10;41=1"). Fields holding a
// comma, a quote or a line break are quoted, quotes doubled.
namespace ProvisioningCsv {
// Plans and results are read only from regular files of at most this size (a 100,000-row plan
// takes about 6 MB).
constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;

QString planHeader();
QString resultHeader();
// The plan's rows; false with *error (naming the line) on a bad header or row, or when `path` is
// no regular file or is larger than kMaxFileBytes.
bool readPlan(const QString &path, std::vector<ProvisioningRow> *rows, QString *error);
// The rows of an earlier result whose ok is 0, as a plan.
bool readFailed(const QString &path, std::vector<ProvisioningRow> *rows, QString *error);
QString resultLine(const ProvisioningRow &row);
// Writes the result header and one line per row to `path`; false with *error when it cannot.
bool writeResult(const QString &path, const std::vector<ProvisioningRow> &rows, QString *error);
QString valuesText(const std::map<int, int> &values);
// The fields of one CSV line.
QStringList splitLine(const QString &line);
} // namespace ProvisioningCsv

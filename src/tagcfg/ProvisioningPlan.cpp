#include "tagcfg/ProvisioningPlan.h"

#include "tagcfg/TagUid.h"

namespace ProvisioningPlan {

std::optional<TagCommandLine::Parsed> parseRow(const ProvisioningRow &row, QString *error)
{
    return TagCommandLine::parse(row.command, TagCommandLine::split(row.args), TagPage::Tag, error);
}

QString rowProblem(const ProvisioningRow &row, Language language)
{
    if (!TagUid::isValid(row.uid))
        return TagUid::problem(language, row.uid);
    QString error;
    if (!parseRow(row, &error))
        return error;
    return {};
}

bool checkRows(const QString &path, const std::vector<ProvisioningRow> &rows, Language language,
               QString *error)
{
    for (const ProvisioningRow &row : rows) {
        const QString why = rowProblem(row, language);
        if (!why.isEmpty()) {
            *error = QStringLiteral("%1:%2: %3").arg(path).arg(row.line).arg(why);
            return false;
        }
    }
    return true;
}

bool load(const QString &path, Language language, std::vector<ProvisioningRow> *rows, QString *error)
{
    std::vector<ProvisioningRow> read;
    if (!ProvisioningCsv::readPlan(path, &read, error) || !checkRows(path, read, language, error))
        return false;
    *rows = std::move(read);
    return true;
}

} // namespace ProvisioningPlan

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

bool load(const QString &path, Language language, std::vector<ProvisioningRow> *rows, QString *error)
{
    std::vector<ProvisioningRow> read;
    if (!ProvisioningCsv::readPlan(path, &read, error))
        return false;
    for (const ProvisioningRow &row : read) {
        const QString why = rowProblem(row, language);
        if (!why.isEmpty()) {
            *error = QStringLiteral("%1:%2: %3").arg(path).arg(row.line).arg(why);
            return false;
        }
    }
    *rows = std::move(read);
    return true;
}

} // namespace ProvisioningPlan

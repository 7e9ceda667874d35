#include "tagcfg/ProvisioningPlan.h"

#include "tagcfg/TagUid.h"

namespace ProvisioningPlan {

std::optional<TagCommandLine::Parsed> parseRow(const ProvisioningRow &row, QString *error)
{
    return TagCommandLine::parse(row.command, TagCommandLine::split(row.args), TagPage::Tag, error);
}

std::optional<Problem> checkRows(const QString &path, const std::vector<ProvisioningRow> &rows)
{
    for (const ProvisioningRow &row : rows) {
        Problem problem{path, row.line, {}, {}};
        if (!TagUid::isValid(row.uid))
            problem.invalidUid = row.uid;
        else if (parseRow(row, &problem.reason))
            continue;
        return problem;
    }
    return std::nullopt;
}

bool load(const QString &path, std::vector<ProvisioningRow> *rows, Problem *problem)
{
    std::vector<ProvisioningRow> read;
    if (!ProvisioningCsv::readPlan(path, &read, &problem->reason)) {
        problem->line = 0;
        return false;
    }
    if (const auto rowProblem = checkRows(path, read)) {
        *problem = *rowProblem;
        return false;
    }
    *rows = std::move(read);
    return true;
}

} // namespace ProvisioningPlan

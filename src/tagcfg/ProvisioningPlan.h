#pragma once

#include "tagcfg/ProvisioningCsv.h"
#include "tagcfg/TagCommandLine.h"

#include <optional>
#include <vector>

// What a provisioning row runs: its command parsed as the "TAG" page has it, and the checks the
// window makes on a whole plan before the first row goes out.
namespace ProvisioningPlan {

// Why a plan cannot run, as data: the file itself (line 0, `reason` names the file), or the row at
// `line` of `path`, whose UID is none a tag report carries (`invalidUid`) or whose command or
// arguments are not ones the panel has (`reason`).
struct Problem
{
    QString path;
    int line = 0;
    QString reason;
    std::optional<QString> invalidUid;
};

// The button and values of the row's command; nothing with *error on a bad name or argument.
std::optional<TagCommandLine::Parsed> parseRow(const ProvisioningRow &row, QString *error);
// Every row read from `path` checked: the first row that cannot run, or nothing.
std::optional<Problem> checkRows(const QString &path, const std::vector<ProvisioningRow> &rows);
// The plan at `path` with every row checked: false with *problem saying what is wrong with the file
// or the first row that cannot run, and no rows.
bool load(const QString &path, std::vector<ProvisioningRow> *rows, Problem *problem);

} // namespace ProvisioningPlan

#pragma once

#include "i18n/LanguageTable.h"
#include "tagcfg/ProvisioningCsv.h"
#include "tagcfg/TagCommandLine.h"

#include <optional>
#include <vector>

// What a provisioning row runs: its command parsed as the "TAG" page has it, and the checks the
// window makes on a whole plan before the first row goes out.
namespace ProvisioningPlan {
// The button and values of the row's command; nothing with *error on a bad name or argument.
std::optional<TagCommandLine::Parsed> parseRow(const ProvisioningRow &row, QString *error);
// Why the row cannot run as written (its UID is none a tag report carries, its command or arguments
// are not ones the panel has), in the language; empty when it can.
QString rowProblem(const ProvisioningRow &row, Language language);
// Every row read from `path` checked: false with *error naming the file and the line of the first
// row that cannot run.
bool checkRows(const QString &path, const std::vector<ProvisioningRow> &rows, Language language,
               QString *error);
// The plan at `path` with every row checked: false with *error naming the file and the line of the
// first row that cannot run (or what is wrong with the file), and no rows.
bool load(const QString &path, Language language, std::vector<ProvisioningRow> *rows, QString *error);
} // namespace ProvisioningPlan

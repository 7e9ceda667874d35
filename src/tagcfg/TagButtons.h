#pragma once

#include "tagcfg/TagButton.h"

#include <QString>

#include <vector>

// Every button of the tag settings panel that runs the tag command sequence, one row each.
namespace TagButtons {
const std::vector<TagButton> &all();
const TagButton &get(TagButton::Id id);
// The button a script names ("set-active-time"), or nullptr.
const TagButton *findByCliName(const QString &name);
} // namespace TagButtons

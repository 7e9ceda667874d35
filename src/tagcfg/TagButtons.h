#pragma once

#include "tagcfg/TagButton.h"

#include <QString>

#include <vector>

// Every button of the tag settings panel, one row each: per page the active-time, LED-mode and LED
// buttons; once for the four parameter pages the on/off, receive count, PA, beep, version and
// power-key buttons (page "TAG", allPages); the thirteen buttons of the "PV/PJ" page.
namespace TagButtons {
const std::vector<TagButton> &all();
// The button `id` on the "TAG" page (or on the page that has it).
const TagButton &get(TagButton::Id id);
// The button `id` as `page` has it; a button of all four pages is found from each of them.
const TagButton *find(TagButton::Id id, TagPage page);
// The button a script names ("set-active-time"; "anti-tamper" with cliArg "on"), as `page` has
// it, or nullptr.
const TagButton *findByCliName(const QString &name, TagPage page = TagPage::Tag,
                               const QString &cliArg = QString());
// Whether a command name needs an "on"/"off" word after it.
bool takesOnOff(const QString &name);
} // namespace TagButtons

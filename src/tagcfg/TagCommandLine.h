#pragma once

#include "tagcfg/TagButton.h"

#include <QString>
#include <QStringList>

#include <optional>

// A tag command as scripts and provisioning plans write it: the command name and its arguments
// ("set-active-time --interval 10 --count 1", "set-receive-count 0", "anti-tamper on",
// "led --led1 on --led2 off --flash --time 5"). Every number is the raw position of the slider it
// stands for and is checked against that slider's range; the names and ranges come from the button
// and slider tables.
namespace TagCommandLine {

struct Parsed
{
    const TagButton *button = nullptr;
    TagValueMap values;
};

// The button and values of `name` with `args` as `page` has them; nothing with *error on bad input.
std::optional<Parsed> parse(const QString &name, const QStringList &args, TagPage page, QString *error);
// Splits a plan's args field at white space.
QStringList split(const QString &args);
// "set-active-time --interval 0..15 --count 1..255".
QString usage(const TagButton &button, TagPage page);
// Every command's usage, one a line (the "TAG" page's ranges, and the alarm page's).
QStringList usages(TagPage page = TagPage::Tag);
// What the values mean in the user's units, one "name N = meaning" a line; `standard` is the
// Standard Temp the alarm levels count from.
QStringList explain(const Parsed &parsed, int standard);
// The page a script names ("TAG", "WK", "RQ", "FZ"; any case).
std::optional<TagPage> pageFromName(const QString &name);
// The option names any command takes a value for ("interval", "count", "time", "led1", "led2").
QStringList valueOptionNames();

} // namespace TagCommandLine

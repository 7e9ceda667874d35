#include "tagcfg/TagCommandLine.h"

#include "tagcfg/TagButtons.h"
#include "tagcfg/TagChoices.h"

#include <QRegularExpression>

#include <algorithm>

namespace TagCommandLine {
namespace {

constexpr int kPowerKeyHigh = 3;

bool fail(QString *error, const QString &text)
{
    *error = text;
    return false;
}

bool isSwitch(TagValue v)
{
    return v == TagValue::Led1 || v == TagValue::Led2 || v == TagValue::Flash;
}

const TagValueSpec *sliderOf(const TagButton &button, TagPage page, TagValue v)
{
    const TagPage own = button.allPages || button.page == TagPage::PvPj ? button.page : page;
    return TagValues::find(own, v);
}

// A lone slider (or the power-key group) of a register command is given without an option name.
bool positional(const TagButton &button)
{
    const auto in = button.inputs();
    return !button.isAction() && in.size() == 1 && !isSwitch(in.front());
}

QString optionName(const TagButton &button, TagPage page, TagValue v)
{
    switch (v) {
    case TagValue::Led1:
        return QStringLiteral("led1");
    case TagValue::Led2:
        return QStringLiteral("led2");
    case TagValue::Flash:
        return QStringLiteral("flash");
    case TagValue::PowerKeyRadio:
        return QStringLiteral("mode");
    default:
        break;
    }
    const TagValueSpec *control = sliderOf(button, page, v);
    return control ? QLatin1String(control->name) : QString();
}

std::pair<int, int> rangeOf(const TagButton &button, TagPage page, TagValue v)
{
    if (v == TagValue::PowerKeyRadio)
        return {0, kPowerKeyHigh};
    const TagValueSpec *control = sliderOf(button, page, v);
    return control ? std::pair(control->low, control->high) : std::pair(0, 255);
}

QString inputUsage(const TagButton &button, TagPage page, TagValue v)
{
    if (v == TagValue::Flash)
        return QStringLiteral("[--flash]");
    const QString name = optionName(button, page, v);
    const QString value = v == TagValue::Led1 || v == TagValue::Led2
                              ? QStringLiteral("on|off")
                              : QStringLiteral("%1..%2")
                                    .arg(rangeOf(button, page, v).first)
                                    .arg(rangeOf(button, page, v).second);
    return positional(button) ? value : QStringLiteral("--%1 %2").arg(name, value);
}

std::optional<int> number(const QString &text, int low, int high)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}

bool takeValue(const TagButton &button, TagPage page, TagValue v, const QString &text, TagValueMap *values,
               QString *error)
{
    const QString name = optionName(button, page, v);
    if (v == TagValue::Led1 || v == TagValue::Led2) {
        if (text != QLatin1String("on") && text != QLatin1String("off"))
            return fail(error, QStringLiteral("--%1 takes on or off, got '%2'").arg(name, text));
        (*values)[v] = text == QLatin1String("on") ? 1 : 0;
        return true;
    }
    const auto [low, high] = rangeOf(button, page, v);
    const auto n = number(text, low, high);
    const QString shown = positional(button) ? QLatin1String(button.cliName) : QStringLiteral("--") + name;
    if (!n)
        return fail(error,
                    QStringLiteral("%1 takes %2..%3, got '%4'").arg(shown).arg(low).arg(high).arg(text));
    (*values)[v] = *n;
    return true;
}

// "--name value", "--name=value" and the "--flash" flag, each input once.
bool parseOptions(const TagButton &button, TagPage page, QStringList args, TagValueMap *values,
                  QString *error)
{
    const auto in = button.inputs();
    while (!args.isEmpty()) {
        QString word = args.takeFirst();
        if (!word.startsWith(QLatin1String("--")))
            return fail(error, QStringLiteral("unexpected argument '%1'").arg(word));
        word = word.mid(2);
        QString text;
        const int eq = word.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            text = word.mid(eq + 1);
            word = word.left(eq);
        }
        auto it = std::find_if(in.begin(), in.end(),
                               [&](TagValue v) { return optionName(button, page, v) == word; });
        if (it == in.end())
            return fail(error,
                        QStringLiteral("--%1 does not go with %2").arg(word, QLatin1String(button.cliName)));
        if (values->count(*it))
            return fail(error, QStringLiteral("--%1 is given twice").arg(word));
        if (*it == TagValue::Flash) {
            (*values)[*it] = 1;
            continue;
        }
        if (eq < 0) {
            if (args.isEmpty())
                return fail(error, QStringLiteral("--%1 needs a value").arg(word));
            text = args.takeFirst();
        }
        if (!takeValue(button, page, *it, text, values, error))
            return false;
    }
    for (TagValue v : in) {
        if (v == TagValue::Flash)
            values->emplace(v, 0);
        else if (!values->count(v))
            return fail(error, QStringLiteral("--%1 is missing").arg(optionName(button, page, v)));
    }
    return true;
}

bool parseArgs(const TagButton &button, TagPage page, QStringList args, TagValueMap *values, QString *error)
{
    if (button.cliArg)
        args.removeFirst(); // the on/off word that picked the button
    if (positional(button)) {
        if (args.size() != 1)
            return fail(error, args.isEmpty() ? QStringLiteral("a value is missing")
                                              : QStringLiteral("unexpected argument '%1'").arg(args.at(1)));
        return takeValue(button, page, button.inputs().front(), args.front(), values, error);
    }
    return parseOptions(button, page, args, values, error);
}

} // namespace

std::optional<Parsed> parse(const QString &name, const QStringList &args, TagPage page, QString *error)
{
    const bool onOff = TagButtons::takesOnOff(name);
    const QString arg = onOff && !args.isEmpty() ? args.front() : QString();
    const TagButton *button = TagButtons::findByCliName(name, page, arg);
    if (!button) {
        if (onOff || TagButtons::findByCliName(name, TagPage::Tag, arg))
            *error = QStringLiteral("usage: %1 on|off").arg(name);
        else
            *error = QStringLiteral("unknown tag command '%1'").arg(name);
        return std::nullopt;
    }
    Parsed parsed{button, {}};
    if (!parseArgs(*button, page, args, &parsed.values, error)) {
        *error += QStringLiteral("; usage: ") + usage(*button, page);
        return std::nullopt;
    }
    return parsed;
}

QStringList split(const QString &args)
{
    return args.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

QString usage(const TagButton &button, TagPage page)
{
    QString text = QString::fromLatin1(button.cliName);
    if (button.cliArg)
        return text + QStringLiteral(" on|off");
    for (TagValue v : button.inputs())
        text += QLatin1Char(' ') + inputUsage(button, page, v);
    return text;
}

QStringList usages(TagPage page)
{
    QStringList lines;
    for (const TagButton &button : TagButtons::all()) {
        if (!button.allPages && button.page != page && button.page != TagPage::PvPj)
            continue;
        const QString line = usage(button, page);
        if (!lines.contains(line))
            lines.append(line);
    }
    return lines;
}

QStringList explain(const Parsed &parsed, int standard)
{
    QStringList lines;
    const TagButton &b = *parsed.button;
    for (const auto &[v, n] : parsed.values) {
        QString meaning;
        if (isSwitch(v))
            meaning = n ? QStringLiteral("on") : QStringLiteral("off");
        else if (v == TagValue::PowerKeyRadio)
            meaning = QLatin1String(TagChoices::powerKeyRadios().at(size_t(n)).caption);
        else if (const TagValueSpec *control = sliderOf(b, b.page, v))
            meaning = control->explain(n, v == TagValue::StandardTemp ? n : standard);
        lines.append(QStringLiteral("%1 %2 = %3").arg(optionName(b, b.page, v)).arg(n).arg(meaning));
    }
    return lines;
}

std::optional<TagPage> pageFromName(const QString &name)
{
    const QString n = name.toUpper();
    if (n == QLatin1String("TAG"))
        return TagPage::Tag;
    if (n == QLatin1String("WK"))
        return TagPage::Wk;
    if (n == QLatin1String("RQ"))
        return TagPage::Rq;
    if (n == QLatin1String("FZ"))
        return TagPage::Fz;
    return std::nullopt;
}

QStringList valueOptionNames()
{
    return {QStringLiteral("interval"), QStringLiteral("count"), QStringLiteral("time"),
            QStringLiteral("led1"), QStringLiteral("led2")};
}

} // namespace TagCommandLine

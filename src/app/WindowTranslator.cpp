#include "app/WindowTranslator.h"

#include "app/PageControl.h"
#include "i18n/LanguageTable.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVariant>

namespace {
const char *const kKeyProperty = "talvoKey";
const char *const kExcludedProperty = "talvoUntranslated";

// The page control a widget is a page of, or nullptr.
PageControl *pageControlOf(const QWidget *w)
{
    auto *stack = qobject_cast<QStackedWidget *>(w->parentWidget());
    return stack ? qobject_cast<PageControl *>(stack->parentWidget()) : nullptr;
}

bool isTranslatableKind(const QWidget *w)
{
    const QMetaObject *mo = w->metaObject();
    return mo == &QPushButton::staticMetaObject || mo == &QLabel::staticMetaObject ||
           mo == &QCheckBox::staticMetaObject || mo == &QRadioButton::staticMetaObject ||
           mo == &QGroupBox::staticMetaObject || pageControlOf(w) != nullptr;
}

bool isOurControl(const QWidget *w)
{
    const QString name = w->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_")) &&
           !w->property(kExcludedProperty).toBool();
}
} // namespace

namespace WindowTranslator {

QString caption(const QWidget *control)
{
    if (PageControl *pc = pageControlOf(control))
        return pc->tabText(pc->indexOf(const_cast<QWidget *>(control)));
    if (auto *b = qobject_cast<const QAbstractButton *>(control))
        return b->text();
    if (auto *l = qobject_cast<const QLabel *>(control))
        return l->text();
    if (auto *g = qobject_cast<const QGroupBox *>(control))
        return g->title();
    return QString();
}

void setCaption(QWidget *control, const QString &text)
{
    if (PageControl *pc = pageControlOf(control))
        pc->setTabText(pc->indexOf(control), text);
    else if (auto *b = qobject_cast<QAbstractButton *>(control))
        b->setText(text);
    else if (auto *l = qobject_cast<QLabel *>(control))
        l->setText(text);
    else if (auto *g = qobject_cast<QGroupBox *>(control))
        g->setTitle(text);
}

void captureKeys(QWidget *root)
{
    const auto widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (isOurControl(w) && isTranslatableKind(w))
            w->setProperty(kKeyProperty, caption(w));
    }
}

void setKey(QWidget *control, const QString &key)
{
    control->setProperty(kKeyProperty, key);
}

QString key(const QWidget *control)
{
    return control->property(kKeyProperty).toString();
}

void exclude(QWidget *control)
{
    control->setProperty(kExcludedProperty, true);
}

void applyCaptions(QWidget *root, Language language)
{
    const auto widgets = root->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        const QVariant k = w->property(kKeyProperty);
        if (k.isValid() && isOurControl(w) && isTranslatableKind(w))
            setCaption(w, translate(language, k.toString()));
    }
}

} // namespace WindowTranslator

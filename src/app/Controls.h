#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

// Small helpers that create a control with its control name as objectName.
namespace Controls {

inline QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

inline QLabel *label(QWidget *parent, const char *name, const QString &caption)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// A sunken caption panel that shows a value (counters, times).
inline QLabel *panel(QWidget *parent, const char *name, const QString &caption)
{
    auto *l = label(parent, name, caption);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(60);
    return l;
}

inline QCheckBox *check(QWidget *parent, const QString &name, const QString &caption)
{
    auto *c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    return c;
}

inline QLineEdit *edit(QWidget *parent, const QString &name, const QString &text)
{
    auto *e = new QLineEdit(text, parent);
    e->setObjectName(name);
    return e;
}

inline QPlainTextEdit *memo(QWidget *parent, const char *name)
{
    auto *m = new QPlainTextEdit(parent);
    m->setObjectName(QLatin1String(name));
    m->setReadOnly(true);
    return m;
}

inline QFrame *frame(QWidget *parent, const char *name)
{
    auto *f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    return f;
}

// Two-digit control suffix: 1 -> "01".
inline QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace Controls

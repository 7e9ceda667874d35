#pragma once

#include <QObject>
#include <QString>

// The control called `name` under `parent` (a window, a page, a panel), found by its objectName. A
// test that names a control the window no longer has stops at once and says which.
template <typename T> T *control(QObject *parent, const char *name)
{
    T *c = parent->findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

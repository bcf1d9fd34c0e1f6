#pragma once

#include <QList>
#include <QMenu>
#include <QObject>
#include <QtGlobal>
#include <algorithm>

// A window's control found by its name, as a user's click or an
// accessibility tool finds it; a name the window lacks ends the test.
template <typename T> T *control(const QObject *window, const char *name)
{
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("%s has no control %s", qPrintable(window->objectName()), name);
    return found;
}

template <typename T> T *control(const QObject &window, const char *name)
{
    return control<T>(&window, name);
}

// A control array's members, in the order of their Index.
template <typename T> QList<T *> controls(const QObject &window, const char *name)
{
    QList<T *> found = window.findChildren<T *>(QLatin1String(name));
    std::sort(found.begin(), found.end(), [](T *a, T *b) {
        return a->property("Index").toInt() < b->property("Index").toInt();
    });
    return found;
}

#pragma once

#include "twips.h"

#include <QIcon>
#include <QKeySequence>
#include <QShortcut>
#include <QLabel>
#include <QStatusBar>
#include <initializer_list>

// Controls carry the names the program gives them, so tests and
// accessibility tools find them.
template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// What a screen reader says of a control whose object name is no word a
// person knows: its name, and where that is not enough, a description.
template <typename T>
T *readAs(T *widget, const QString &name, const QString &description = QString())
{
    widget->setAccessibleName(name);
    if (!description.isEmpty())
        widget->setAccessibleDescription(description);
    return widget;
}

// A key that presses the button, for those who use the keyboard alone (the
// caption stays as it is written). A shortcut of its own: the button's
// shortcut is its caption's, set again whenever the caption changes.
template <typename T> T *pressedBy(T *button, const QKeySequence &keys)
{
    auto *shortcut = new QShortcut(keys, button);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] {
        if (button->isEnabled() && button->isVisible())
            button->animateClick();
    });
    return button;
}

// Tab goes through the controls as the eye reads the window. A message
// box passes Tab on too: a keyboard would be caught in it.
inline void readingOrder(std::initializer_list<QWidget *> widgets)
{
    const QWidget *previous = nullptr;
    for (QWidget *w : widgets) {
        if (previous)
            QWidget::setTabOrder(const_cast<QWidget *>(previous), w);
        previous = w;
    }
}

// A status bar without a size grip; each panel a sunken plain-text label
// named panel1, panel2, … with its share of the width.
inline QStatusBar *statusBar(QWidget *parent,
                             std::initializer_list<std::pair<QLabel **, int>> panels)
{
    auto *bar = named(new QStatusBar(parent), "StatusBar1");
    bar->setSizeGripEnabled(false);
    int n = 0;
    for (auto [panel, stretch] : panels) {
        const QByteArray name = "panel" + QByteArray::number(++n);
        *panel = named(new QLabel(bar), name.constData());
        (*panel)->setTextFormat(Qt::PlainText);
        (*panel)->setFrameShape(QFrame::Panel);
        (*panel)->setFrameShadow(QFrame::Sunken);
        bar->addWidget(*panel, stretch);
    }
    return bar;
}

// A window's picture: the icon drawn 480 twips square.
inline void setPicture(QLabel *label, const QIcon &icon)
{
    label->setPixmap(icon.pixmap(twips::toPixelsX(480, twips::screenOf(label))));
}

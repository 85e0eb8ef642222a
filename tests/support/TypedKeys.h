#pragma once

// Keys pressed into a field one at a time, as a person presses them. A character is typed, but
// "↑", "←" and "⌫" stand for the up arrow, the left arrow and backspace, and "⇥" for leaving
// the field. Header only; the executable must link the widgets library.

#include <QApplication>
#include <QFocusEvent>
#include <QHash>
#include <QTest>
#include <QWidget>

inline void pressKey(QWidget* field, QChar key)
{
    static const QHash<QChar, Qt::Key> named{{u'↑', Qt::Key_Up}, {u'←', Qt::Key_Left}, {u'⌫', Qt::Key_Backspace}};
    if (key == u'⇥') {
        QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(field, &leave);
    } else if (named.contains(key)) {
        QTest::keyClick(field, named.value(key));
    } else {
        QTest::keyClicks(field, QString(key));
    }
}

// A step, and leaving the field, take the number at once; anything else waits for Enter.
inline bool takesTheNumber(QChar key)
{
    return key == u'↑' || key == u'⇥';
}

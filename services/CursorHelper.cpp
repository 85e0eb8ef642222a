#include "CursorHelper.h"

#include <QPixmap>
#include <QWidget>

QMap<Qt::CursorShape, QCursor> CursorHelper::m_customCursors;
bool CursorHelper::m_isCustomCursorEnabled = false;
QMap<QWidget*, Qt::CursorShape> CursorHelper::m_widgets;

void CursorHelper::setCursor(QWidget* widget, Qt::CursorShape shape)
{
    if (!widget)
        return;
    widget->setCursor(cursorFor(shape));
    // One watch per widget: setting a cursor again, or reassigning, must not add more.
    if (!m_widgets.contains(widget))
        connect(widget, &QObject::destroyed, widget, [widget] { m_widgets.remove(widget); });
    m_widgets.insert(widget, shape);
}

QCursor CursorHelper::cursorFor(Qt::CursorShape shape)
{
    if (m_isCustomCursorEnabled) {
        const auto custom = m_customCursors.constFind(shape);
        if (custom != m_customCursors.constEnd())
            return *custom;
    }
    return QCursor(shape);
}

void CursorHelper::InstallCursor(Qt::CursorShape shape, const QPixmap& pixmap, int hotX, int hotY)
{
    m_customCursors.insert(shape, QCursor(pixmap, hotX, hotY));
    reassign();
}

void CursorHelper::setIsCustomCursorEnabled(bool enabled)
{
    if (enabled == m_isCustomCursorEnabled)
        return;
    m_isCustomCursorEnabled = enabled;
    reassign();
}

bool CursorHelper::getIsCustomCursorEnabled()
{
    return m_isCustomCursorEnabled;
}

void CursorHelper::reassign()
{
    const QList<QWidget*> widgets = m_widgets.keys();
    for (QWidget* widget : widgets)
        setCursor(widget, m_widgets.value(widget));
}

#include "GlobalKeyboard.h"

#include "GlobalConsole.h"

#include <QHash>

namespace {

QHash<quint32, int> keyTable()
{
    QHash<quint32, int> table{
        {13, Qt::Key_Enter},  {17, Qt::Key_Control}, {162, Qt::Key_Control}, {163, Qt::Key_Control},
        {160, Qt::Key_Shift}, {161, Qt::Key_Shift},  {164, Qt::Key_Alt},     {165, Qt::Key_Alt},
        {27, Qt::Key_Escape}, {32, Qt::Key_Space},   {33, Qt::Key_PageUp},   {34, Qt::Key_PageDown},
        {37, Qt::Key_Left},   {38, Qt::Key_Up},      {39, Qt::Key_Right},    {40, Qt::Key_Down},
        {187, Qt::Key_Plus},  {189, Qt::Key_Minus},
    };
    for (quint32 function = 0; function < 12; ++function)
        table.insert(112 + function, Qt::Key_F1 + int(function));
    // Digits and letters: the virtual-key code is the Qt key.
    for (quint32 code = '0'; code <= '9'; ++code)
        table.insert(code, int(code));
    for (quint32 code = 'A'; code <= 'Z'; ++code)
        table.insert(code, int(code));
    return table;
}

} // namespace

GlobalKeyboard* GlobalKeyboard::Instance()
{
    static GlobalKeyboard* instance = new GlobalKeyboard();
    return instance;
}

bool GlobalKeyboard::Install()
{
    GlobalConsole::writeItem(QStringLiteral("A system-wide keyboard hook is not available on this platform; "
                                            "keys are not reported while other programs have the focus."),
                             QStringLiteral("Error"));
    return false;
}

void GlobalKeyboard::Uninstall()
{
}

bool GlobalKeyboard::IsInstalled()
{
    return false;
}

int GlobalKeyboard::getQKeyIndex(quint32 virtualKey)
{
    static const QHash<quint32, int> table = keyTable();
    return table.value(virtualKey, 0);
}

Qt::Key GlobalKeyboard::getQKey(quint32 virtualKey)
{
    const int key = getQKeyIndex(virtualKey);
    return key == 0 ? Qt::Key_unknown : Qt::Key(key);
}

void GlobalKeyboard::emitKeyPressed(Qt::Key key)
{
    emit Instance()->keyPressed(key);
}

void GlobalKeyboard::emitKeyReleased(Qt::Key key)
{
    emit Instance()->keyReleased(key);
}

bool GlobalKeyboard::isInstalled() const
{
    return IsInstalled();
}

bool GlobalKeyboard::setInstalled(bool installed)
{
    if (installed && !IsInstalled())
        return Install();
    Uninstall();
    return false;
}

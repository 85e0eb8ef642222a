#pragma once

#include <QObject>

// Key presses and releases anywhere in the system, also while the program's windows have no
// focus, as Qt keys and as the Windows virtual-key codes they came from. That takes a Windows
// low-level keyboard hook; this system has none, so installing is refused with a message on
// the console and no key is ever reported by a hook. The key table and the signals stay, for
// code that feeds keys in itself.
class GlobalKeyboard : public QObject
{
    Q_OBJECT
public:
    // Created on first use and kept for the rest of the process.
    static GlobalKeyboard* Instance();
    // False: no hook can be installed here.
    static bool Install();
    static void Uninstall();
    static bool IsInstalled();
    // The Qt key of a Windows virtual-key code, or 0 for a code the table does not hold.
    static int getQKeyIndex(quint32 virtualKey);
    // As getQKeyIndex, with Qt::Key_unknown in place of 0.
    static Qt::Key getQKey(quint32 virtualKey);
    static void emitKeyPressed(Qt::Key key);
    static void emitKeyReleased(Qt::Key key);

    bool isInstalled() const;
    // Installs for true while nothing is installed, answering whether that worked; any other
    // call removes the hook and answers false.
    bool setInstalled(bool installed);

signals:
    void keyPressedRaw(quint32 virtualKey);
    void keyPressed(Qt::Key key);
    void keyReleasedRaw(quint32 virtualKey);
    void keyReleased(Qt::Key key);

private:
    GlobalKeyboard() = default;
};

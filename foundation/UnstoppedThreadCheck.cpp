#include "UnstoppedThreadCheck.h"

#include <QThread>

#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

namespace {
#ifdef QT_NO_DEBUG
constexpr bool debugBuild = false;
#else
constexpr bool debugBuild = true;
#endif

QByteArray readableClassName(const char* mangled)
{
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    const QByteArray name = status == 0 ? QByteArray(demangled) : QByteArray(mangled);
    std::free(demangled);
    return name;
}
} // namespace

void UnstoppedThreadCheck::noteStart(const QThread& thread)
{
    startedClass = typeid(thread).name();
}

void UnstoppedThreadCheck::verifyStopped(const QThread& thread, const QString& name, const char* stopCall) const
{
    if (!debugBuild || !thread.isRunning())
        return;
    // Started some other way than through the base, the thread is known by the base's class.
    const char* mangled = startedClass.load();
    const QByteArray className = readableClassName(mangled ? mangled : typeid(thread).name());
    QByteArray thisThread = className;
    if (!name.isEmpty())
        thisThread += " \"" + name.toUtf8() + '"';
    qFatal("The thread %s was destroyed while its loop still ran: the destructor of %s must call %s",
           thisThread.constData(), className.constData(), stopCall);
}

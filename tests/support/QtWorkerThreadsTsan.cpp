// Linked into the test executables of ThreadSanitizer builds only.
//
// Debian's Qt, FFmpeg and OpenCV are not built with ThreadSanitizer, so it sees of their work
// only the library calls it intercepts (allocation, freeing, copying), never the atomics and
// locks that order them: a string freed in one thread after another copied it shows as a race.
// What these libraries do on their own is therefore left out (ignore_noninstrumented_modules);
// every access of our own code, including Qt's inline code compiled into it, stays checked.
//
// Qt spreads painting and image conversion over its global worker pool ("Thread (pooled)") and
// runs HTTP in a thread of its own ("QNetworkAccessManager thread"). These threads run only Qt's
// own code and hand their work over through Qt's locks, which are invisible to ThreadSanitizer
// because Debian's Qt is not built with it; every such hand-over would be reported as a race
// inside Qt. Such a thread therefore tells ThreadSanitizer to ignore it as soon as it takes its
// name. Every other thread, ours and Qt's, stays checked, and so does every access our code
// makes to what these threads produce.
#include <sys/prctl.h>

#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <initializer_list>

extern "C" void __tsan_ignore_thread_begin();
extern "C" void __tsan_ignore_thread_end();

namespace {

// Ends the ignore when the thread ends: ThreadSanitizer insists that a finished thread holds none.
struct IgnoredThread
{
    IgnoredThread() { __tsan_ignore_thread_begin(); }
    ~IgnoredThread() { __tsan_ignore_thread_end(); }
};

bool runsOnlyQtCode(const char* threadName)
{
    for (const char* qtWorker : {"Thread (pooled)", "QNetworkAccessManager thread"}) {
        if (std::strcmp(threadName, qtWorker) == 0)
            return true;
    }
    return false;
}

} // namespace

extern "C" const char* __tsan_default_options()
{
    return "ignore_noninstrumented_modules=1";
}

extern "C" int prctl(int option, ...)
{
    std::va_list list;
    va_start(list, option);
    unsigned long args[4];
    for (unsigned long& arg : args)
        arg = va_arg(list, unsigned long);
    va_end(list);
    if (option == PR_SET_NAME && runsOnlyQtCode(reinterpret_cast<const char*>(args[0])))
        thread_local IgnoredThread ignored;
    using Prctl = int (*)(int, ...);
    static const auto next = reinterpret_cast<Prctl>(dlsym(RTLD_NEXT, "prctl"));
    return next(option, args[0], args[1], args[2], args[3]);
}

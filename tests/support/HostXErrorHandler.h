#pragma once
// Hosts install an X error handler of their own; the framework installs one
// only in its own applications. A test program that opens windows stands in
// for a host, so it does the same: without a handler, any X error (a window
// already gone when the framework asks about it, an atom a bare virtual
// server lacks) goes to Xlib's default handler, which calls exit() while the
// GUI still runs, and the test dies for nothing it tests.
#include <dlfcn.h>

namespace testsupport
{
inline int ignoreXError(void*, void*)
{
    return 0;
}

// Header-only and through dlopen, so a test program need not link libX11: the
// handler is the process's one, whichever part of it loaded the library.
inline void installHostXErrorHandler()
{
    using Handler = int (*)(void*, void*);
    using SetHandler = Handler (*)(Handler);
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (x11 == nullptr)
        return;
    if (auto set = reinterpret_cast<SetHandler>(dlsym(x11, "XSetErrorHandler")); set != nullptr)
        set(ignoreXError);
}
} // namespace testsupport

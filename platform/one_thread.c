// The one import from Vista on that the runtime would plant in a program with
// one thread, answered inside the image instead.
//
// libstdc++'s exception allocator guards its emergency pool with the
// runtime's mutex (libgcc's gthr-win32.o, the win32 thread model). From GCC 13
// on that same object holds std::thread's comparison of two threads, which
// calls GetThreadId, a KERNEL32 function from Vista on: imported by name, it
// would make Windows XP SP3 refuse to start the program at all. The programs
// linked with this have one thread and never compare threads. Defining the
// import's own pointer here resolves the runtime's reference inside the
// image, so the loader never looks for the function; older runtimes do not
// refer to it, and the definition then goes unused.
#include <windows.h>

// With one thread, every thread handle is the running thread's.
static DWORD WINAPI OneThreadId(HANDLE thread) {
  (void)thread;
  return GetCurrentThreadId();
}

#if defined(__i386__)
DWORD(WINAPI* pellworth_get_thread_id)(HANDLE) __asm__("__imp__GetThreadId@4") = OneThreadId;
#else
DWORD(WINAPI* pellworth_get_thread_id)(HANDLE) __asm__("__imp_GetThreadId") = OneThreadId;
#endif

/* pellworth_inner: the library that pellworth_outer imports by bare name.
 * When loaded it leaves "<its own path>.loaded", so that a test can tell
 * which copy the loader took. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
      lstrcpyW(path + n, L".loaded");
      HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
      if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    }
  }
  return TRUE;
}

__declspec(dllexport) int PellworthInner(void) { return 7; }

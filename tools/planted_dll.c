/* planted_dll: a library planted beside a setup program under the name of a
 * system library. When any process loads it, it leaves "C:\planted-dll.ran"
 * naming itself, so a test can tell that the planted copy was loaded. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    HANDLE f = CreateFileW(L"C:\\planted-dll.ran", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           NULL, OPEN_ALWAYS, 0, NULL);
    if (f != INVALID_HANDLE_VALUE) {
      DWORD written;
      WriteFile(f, path, n * sizeof(wchar_t), &written, NULL);
      WriteFile(f, L"\r\n", 4, &written, NULL);
      CloseHandle(f);
    }
  }
  return TRUE;
}

/* The entry a caller of the shell folder library resolves. */
__declspec(dllexport) HRESULT WINAPI SHGetFolderPathW(HWND w, int f, HANDLE t, DWORD d, LPWSTR p) {
  (void)w; (void)f; (void)t; (void)d;
  if (p) p[0] = 0;
  return E_FAIL;
}

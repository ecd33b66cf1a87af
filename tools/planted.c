/* planted: stands in for a file that an attacker leaves beside a setup
 * program (msiexec.exe in a downloads folder, say), or for the installer
 * itself. When it runs, it leaves "<its own file name>.ran" in the current
 * folder, holding the command line it was given (UTF-16), so a test can tell
 * that it ran and with what. */
#include <windows.h>
#include <wchar.h>

int wmain(void) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH - 8) return 1;
  const wchar_t* name = wcsrchr(path, L'\\');
  name = name ? name + 1 : path;
  wchar_t marker[MAX_PATH];
  wcscpy(marker, name);
  wcscat(marker, L".ran");
  HANDLE f = CreateFileW(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (f != INVALID_HANDLE_VALUE) {
    const wchar_t* line = GetCommandLineW();
    DWORD written = 0;
    WriteFile(f, line, (DWORD)(wcslen(line) * sizeof(wchar_t)), &written, NULL);
    CloseHandle(f);
  }
  return 0;
}

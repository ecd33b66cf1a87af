/* libfloor: the least start-up work every run of Setup.exe does, as a floor
 * for the benchmark: restrict the library search, load ADVAPI32, SHELL32 and
 * shfolder.dll by full path from the system folder, split its own command
 * line, give the vector back and exit 0. An empty program measures only a
 * process start; this measures what no run of Setup.exe can do without. */
#include <windows.h>
#include <shellapi.h>

static HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t path[MAX_PATH + 32];
  UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return NULL;
  path[length++] = L'\\';
  lstrcpyW(path + length, name);
  return LoadLibraryW(path);
}

int wmain(void) {
  typedef BOOL(WINAPI * SetDefaultDllDirectoriesFn)(DWORD);
  typedef LPWSTR*(WINAPI * CommandLineToArgvWFn)(LPCWSTR, int*);
  SetDefaultDllDirectoriesFn restrictSearch = (SetDefaultDllDirectoriesFn)(void*)GetProcAddress(
      GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (restrictSearch) restrictSearch(0x00000800);
  HMODULE advapi = LoadSystemLibrary(L"advapi32.dll");
  HMODULE shell = LoadSystemLibrary(L"shell32.dll");
  HMODULE folder = LoadSystemLibrary(L"shfolder.dll");
  if (!advapi || !shell || !folder) return 1;
  CommandLineToArgvWFn split =
      (CommandLineToArgvWFn)(void*)GetProcAddress(shell, "CommandLineToArgvW");
  int count = 0;
  LPWSTR* vector = split ? split(GetCommandLineW(), &count) : NULL;
  if (!vector) return 1;
  LocalFree(vector);
  FreeLibrary(folder);
  return 0;
}

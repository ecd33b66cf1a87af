/* runexit: runs one command line, waits for it, and prints
 *   exit=XXXXXXXX ms=N
 * on its own standard output: the full 32-bit exit code in hex and the run
 * time from start to exit in milliseconds, both taken on the Windows side.
 * The child inherits the standard handles, so anything it writes comes first.
 * Usage: runexit.exe PROGRAM [ARGUMENTS...]  (the rest of the line is passed on as it stands)
 * When RUNEXIT_CMDLINE is set, it is the child's whole command line instead,
 * exactly as given: no layer between the test and the child re-quotes it.
 * When RUNEXIT_CMDFILE names a file, the command line is that file's UTF-16LE
 * text, which may hold any unit but NUL (unpaired surrogates included). */
#include <windows.h>
#include <stdio.h>
#include <wchar.h>

static const wchar_t* SkipProgramName(const wchar_t* line) {
  if (*line == L'"') {
    ++line;
    while (*line && *line != L'"') ++line;
    if (*line) ++line;
  } else {
    while (*line && *line != L' ' && *line != L'\t') ++line;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

static wchar_t* ReadCommandFile(const wchar_t* path) {
  HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (f == INVALID_HANDLE_VALUE) return NULL;
  DWORD size = GetFileSize(f, NULL), got = 0;
  wchar_t* text = (wchar_t*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size + sizeof(wchar_t));
  if (text && !ReadFile(f, text, size, &got, NULL)) text = NULL;
  CloseHandle(f);
  return text;
}

int wmain(void) {
  wchar_t* line;
  wchar_t file[MAX_PATH];
  DWORD fromEnv = GetEnvironmentVariableW(L"RUNEXIT_CMDLINE", NULL, 0);
  if (GetEnvironmentVariableW(L"RUNEXIT_CMDFILE", file, MAX_PATH) - 1 < MAX_PATH - 1) {
    line = ReadCommandFile(file);
    if (!line) return 2;
  } else if (fromEnv > 0) {
    line = (wchar_t*)HeapAlloc(GetProcessHeap(), 0, fromEnv * sizeof(wchar_t));
    if (!line) return 2;
    GetEnvironmentVariableW(L"RUNEXIT_CMDLINE", line, fromEnv);
    SetEnvironmentVariableW(L"RUNEXIT_CMDLINE", NULL);
  } else {
    const wchar_t* rest = SkipProgramName(GetCommandLineW());
    size_t n = wcslen(rest) + 1;
    line = (wchar_t*)HeapAlloc(GetProcessHeap(), 0, n * sizeof(wchar_t));
    if (!line) return 2;
    memcpy(line, rest, n * sizeof(wchar_t));
  }
  if (!*line) {
    fprintf(stderr, "usage: runexit.exe PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  STARTUPINFOW si;
  PROCESS_INFORMATION pi;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  LARGE_INTEGER freq, start, end;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&start);
  if (!CreateProcessW(NULL, line, NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi)) {
    printf("start-failed=%08lx\n", GetLastError());
    return 2;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  QueryPerformanceCounter(&end);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  double ms = (double)(end.QuadPart - start.QuadPart) * 1000.0 / (double)freq.QuadPart;
  fflush(stdout);
  printf("exit=%08lx ms=%.3f\n", code, ms);
  return 0;
}

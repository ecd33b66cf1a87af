/* scanfloor: the least work a scan of the Uninstall key can do, as a floor
 * for Setup.exe /x: enumerate the subkeys, and read each one's DisplayName
 * and UninstallString through a single open of the subkey. Exits 0 when an
 * entry named "Pellworth" was found, 1 otherwise. */
#include <windows.h>
#include <wchar.h>

int main(void) {
  HKEY uninstall;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0,
                    KEY_READ, &uninstall) != ERROR_SUCCESS)
    return 2;
  DWORD count = 0;
  RegQueryInfoKeyW(uninstall, NULL, NULL, NULL, &count, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
  int found = 0;
  for (DWORD i = 0; i < count; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(uninstall, i, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) continue;
    HKEY entry;
    if (RegOpenKeyExW(uninstall, name, 0, KEY_READ, &entry) != ERROR_SUCCESS) continue;
    BYTE display[512], command[512];
    DWORD type, size = sizeof display;
    LONG status = RegQueryValueExW(entry, L"DisplayName", NULL, &type, display, &size);
    size = sizeof command;
    RegQueryValueExW(entry, L"UninstallString", NULL, &type, command, &size);
    RegCloseKey(entry);
    if (status == ERROR_SUCCESS && wcscmp((const wchar_t*)display, L"Pellworth") == 0) found = 1;
  }
  RegCloseKey(uninstall);
  return found ? 0 : 1;
}

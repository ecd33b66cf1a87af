#include "platform/system_directory.h"

#include <vector>

namespace win {

WString SystemDirectory(Api& api) {
  // MAX_PATH units suffice on every Windows; a longer answer is asked again
  // with the size the platform reports.
  std::vector<WCHAR> buffer(260);
  for (int attempt = 0; attempt < 2; ++attempt) {
    UINT got = api.GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (got == 0) return WString();
    if (got < buffer.size()) {
      WString dir(buffer.data(), got);
      while (!dir.empty() && (dir.back() == u'\\' || dir.back() == u'/')) dir.pop_back();
      return dir;
    }
    buffer.assign(got + 1, 0);
  }
  return WString();
}

WString SystemFilePath(const WString& file, Api& api) {
  WString dir = SystemDirectory(api);
  if (dir.empty()) return WString();
  return dir + u'\\' + file;
}

void RestrictLibrarySearch(Api& api) {
  // Where neither call holds, nothing more can be done: the search stays as it was.
  if (!api.SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
    static_cast<void>(api.SetDllDirectoryW(u""));
}

DWORD FullPathLoadFlags(Api& api) {
  return api.SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH;
}

HMODULE LoadLibraryByFullPath(const WString& path, Api& api) {
  return api.LoadLibraryExW(path.c_str(), nullptr, FullPathLoadFlags(api));
}

HMODULE LoadSystemLibrary(const WString& name, Api& api) {
  WString path = SystemFilePath(name, api);
  return path.empty() ? nullptr : LoadLibraryByFullPath(path, api);
}

}  // namespace win

// The libraries of the simulated machine and the library search.
//
// Contract:
//  - LoadLibraryExW finds a library by its full path (case-insensitive); a bare
//    name (no separator) is looked for in the folders of the search, in order:
//    the program's folder and the folder SetDllDirectoryW named, unless
//    SetDefaultDllDirectories restricted the search (to the system folder),
//    then the system folder. Each load is counted; FreeLibrary gives one
//    back, and fails on a library that is not loaded.
//  - A library's imports (bare names) are found by the same search, except
//    that LOAD_WITH_ALTERED_SEARCH_PATH on a full path looks in the library's
//    own folder first, then the system folder; a missing import fails the
//    load. Each import of a load that succeeds is recorded by its full path. That flag with a
//    name that is no full path, or with a LOAD_LIBRARY_SEARCH_* flag, fails.
//  - A library answers GetProcAddress only for the entries it exports, each
//    at an address of its own; any other name, or a library not loaded,
//    answers null. Every name asked for is recorded.
//  - SetDefaultDllDirectories fails where the system lacks it
//    (hasSetDefaultDllDirectories false: XP, unpatched Vista and 7), and so
//    does SetDllDirectoryW (hasSetDllDirectoryW false: XP before SP1).
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/win_types.h"

namespace sim {

class Libraries {
 public:
  void Add(const win::WString& fullPath, std::set<std::string> exports,
           std::vector<win::WString> imports = {});
  // The address at which `fullPath` exports `name`, or null.
  win::FARPROC AddressOf(const win::WString& fullPath, const std::string& name) const;

  std::vector<win::WString> loads;       // every LoadLibraryExW path, in order
  std::vector<win::DWORD> loadFlags;     // and its flags
  std::vector<win::WString> importsLoaded;  // the full path of every import of a load that succeeded
  std::vector<std::string> lookups;      // every GetProcAddress name, in order
  bool hasSetDefaultDllDirectories = true;
  bool hasSetDllDirectoryW = true;  // false: XP before SP1
  std::optional<win::DWORD> defaultDllDirectories;  // what the search was restricted to
  std::optional<win::WString> dllDirectory;         // what SetDllDirectoryW was given

  // `programFolder` and `systemFolder` are where a bare name is looked for.
  win::HMODULE Load(const win::WCHAR* path, win::DWORD flags, const win::WString& programFolder,
                    const win::WString& systemFolder);
  win::FARPROC Entry(win::HMODULE module, const char* name);
  win::BOOL Free(win::HMODULE module);
  win::BOOL SetDefaultDirectories(win::DWORD flags);
  win::BOOL SetDirectory(const win::WCHAR* path);

  void OpenResources(std::vector<std::string>& open) const;

 private:
  struct Library {
    std::map<std::string, win::FARPROC> exports;
    std::vector<win::WString> imports;  // by bare name
    win::HMODULE handle = nullptr;
    int references = 0;
  };
  Library* Loaded(win::HMODULE module);  // loaded and not yet freed, or null
  // Where the search finds `name` (a full path, or a bare name from the
  // folders of the search), or null.
  Library* Find(const win::WString& name, const std::vector<win::WString>& folders,
                win::WString* found);
  std::map<win::WString, Library> libraries_;  // by upper-cased full path
};

}  // namespace sim

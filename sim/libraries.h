// The libraries of the simulated machine and the library search.
//
// Contract:
//  - LoadLibraryW finds a library by its full path (case-insensitive); a bare
//    name (no separator) is looked for in the folders of the search, in order:
//    the program's folder and the folder SetDllDirectoryW named, unless
//    SetDefaultDllDirectories restricted the search (to the system folder),
//    then the system folder. Each load is counted; FreeLibrary gives one
//    back, and fails on a library that is not loaded.
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
  void Add(const win::WString& fullPath, std::set<std::string> exports);
  // The address at which `fullPath` exports `name`, or null.
  win::FARPROC AddressOf(const win::WString& fullPath, const std::string& name) const;

  std::vector<win::WString> loads;       // every LoadLibraryW argument, in order
  std::vector<std::string> lookups;      // every GetProcAddress name, in order
  bool hasSetDefaultDllDirectories = true;
  bool hasSetDllDirectoryW = true;  // false: XP before SP1
  std::optional<win::DWORD> defaultDllDirectories;  // what the search was restricted to
  std::optional<win::WString> dllDirectory;         // what SetDllDirectoryW was given

  // `programFolder` and `systemFolder` are where a bare name is looked for.
  win::HMODULE Load(const win::WCHAR* path, const win::WString& programFolder,
                    const win::WString& systemFolder);
  win::FARPROC Entry(win::HMODULE module, const char* name);
  win::BOOL Free(win::HMODULE module);
  win::BOOL SetDefaultDirectories(win::DWORD flags);
  win::BOOL SetDirectory(const win::WCHAR* path);

  void OpenResources(std::vector<std::string>& open) const;

 private:
  struct Library {
    std::map<std::string, win::FARPROC> exports;
    win::HMODULE handle = nullptr;
    int references = 0;
  };
  Library* Loaded(win::HMODULE module);  // loaded and not yet freed, or null
  std::map<win::WString, Library> libraries_;  // by upper-cased full path
};

}  // namespace sim

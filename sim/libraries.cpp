#include "sim/libraries.h"

#include <cstdint>

#include "sim/text.h"

namespace sim {

void Libraries::Add(const win::WString& fullPath, std::set<std::string> exports,
                    std::vector<win::WString> imports) {
  Library& library = libraries_[FoldCase(fullPath)];
  library.imports = std::move(imports);
  // A handle of its own, fixed for the machine's life, whatever is added later,
  // and an address of its own for each export (never called).
  if (library.handle == nullptr)
    library.handle = reinterpret_cast<win::HMODULE>(0x10000000 + 0x10000 * libraries_.size());
  library.exports.clear();
  std::uintptr_t address = reinterpret_cast<std::uintptr_t>(library.handle) + 0x1000;
  for (const std::string& name : exports)
    library.exports[name] = reinterpret_cast<win::FARPROC>(address += 0x10);
}

win::FARPROC Libraries::AddressOf(const win::WString& fullPath, const std::string& name) const {
  auto it = libraries_.find(FoldCase(fullPath));
  if (it == libraries_.end()) return nullptr;
  auto entry = it->second.exports.find(name);
  return entry == it->second.exports.end() ? nullptr : entry->second;
}

Libraries::Library* Libraries::Loaded(win::HMODULE module) {
  for (auto& [path, library] : libraries_)
    if (library.handle == module && library.references > 0) return &library;
  return nullptr;
}

Libraries::Library* Libraries::Find(const win::WString& name,
                                    const std::vector<win::WString>& folders, win::WString* found) {
  std::vector<win::WString> candidates{name};
  if (!name.empty() && name.find_first_of(u"\\/") == win::WString::npos) {
    candidates.clear();
    for (const win::WString& folder : folders) candidates.push_back(folder + u'\\' + name);
  }
  for (const win::WString& candidate : candidates) {
    auto it = libraries_.find(FoldCase(candidate));
    if (it == libraries_.end()) continue;
    *found = candidate;
    return &it->second;
  }
  return nullptr;
}

win::HMODULE Libraries::Load(const win::WCHAR* path, win::DWORD flags,
                             const win::WString& programFolder, const win::WString& systemFolder) {
  win::WString name = FromPtr(path);
  loads.push_back(name);
  loadFlags.push_back(flags);
  bool altered = (flags & win::LOAD_WITH_ALTERED_SEARCH_PATH) != 0;
  bool fullPath = name.size() > 2 && (name[1] == u':' || name.rfind(u"\\\\", 0) == 0);
  if (altered && (!fullPath || (flags & win::LOAD_LIBRARY_SEARCH_FLAGS) != 0)) return nullptr;
  // The standard search: the program's folder and SetDllDirectoryW's, unless
  // the search was restricted, then the system folder.
  std::vector<win::WString> search;
  if (!defaultDllDirectories) {
    search.push_back(programFolder);
    if (dllDirectory && !dllDirectory->empty()) search.push_back(*dllDirectory);
  }
  search.push_back(systemFolder);
  win::WString found;
  Library* library = Find(name, search, &found);
  if (library == nullptr) return nullptr;
  // Its imports: from its own folder first when the search was altered.
  std::vector<win::WString> importSearch = search;
  if (altered) importSearch = {found.substr(0, found.rfind(u'\\')), systemFolder};
  std::vector<win::WString> imported;
  for (const win::WString& import : library->imports) {
    win::WString at;
    if (Find(import, importSearch, &at) == nullptr) return nullptr;
    imported.push_back(at);
  }
  importsLoaded.insert(importsLoaded.end(), imported.begin(), imported.end());
  ++library->references;
  return library->handle;
}

win::FARPROC Libraries::Entry(win::HMODULE module, const char* name) {
  lookups.push_back(name == nullptr ? std::string() : name);
  Library* library = Loaded(module);
  if (library == nullptr || name == nullptr) return nullptr;
  auto entry = library->exports.find(name);
  return entry == library->exports.end() ? nullptr : entry->second;
}

win::BOOL Libraries::Free(win::HMODULE module) {
  Library* library = Loaded(module);
  if (library == nullptr) return win::FALSE;
  --library->references;
  return win::TRUE;
}

win::BOOL Libraries::SetDefaultDirectories(win::DWORD flags) {
  if (!hasSetDefaultDllDirectories) return win::FALSE;
  defaultDllDirectories = flags;
  return win::TRUE;
}

win::BOOL Libraries::SetDirectory(const win::WCHAR* path) {
  if (!hasSetDllDirectoryW) return win::FALSE;
  dllDirectory = FromPtr(path);
  return win::TRUE;
}

void Libraries::OpenResources(std::vector<std::string>& open) const {
  for (const auto& [path, library] : libraries_)
    if (library.references > 0)
      open.push_back("library " + Narrow(path) + " x" + std::to_string(library.references));
}

}  // namespace sim

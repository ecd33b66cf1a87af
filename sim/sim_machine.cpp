#include "sim/sim_machine.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <sstream>

namespace sim {
namespace {

constexpr LONG kErrorKeyDeleted = 1018;
constexpr LONG kErrorBadPathname = 161;
constexpr std::uintptr_t kCurrentProcess = static_cast<std::uintptr_t>(-1);
constexpr std::uintptr_t kModuleBase = 0x400000;

void EntryPoint() {}

WString FromPtr(const WCHAR* text) { return text == nullptr ? WString() : WString(text); }

std::vector<WString> SplitPath(const WString& path) {
  std::vector<WString> parts;
  WString part;
  for (WCHAR c : path) {
    if (c == u'\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

}  // namespace

const char* CallName(Call call) {
  static const char* const names[] = {
      "GetCurrentProcess",  "IsWow64Process",      "GetCommandLineW",    "CommandLineToArgvW",
      "LocalFree",          "GetVersionExW",       "GetComputerNameW",   "GetComputerNameExW",
      "GetModuleHandleW",   "GetModuleFileNameW",  "GetSystemDirectoryW", "LoadLibraryW",
      "GetProcAddress",     "FreeLibrary",         "SetDefaultDllDirectories", "SetDllDirectoryW",
      "RegOpenKeyExW",      "RegQueryValueExW",
      "RegQueryInfoKeyW",   "RegEnumKeyExW",       "RegDeleteKeyW",      "RegCloseKey",
      "ShellExecuteExW",    "ShellExecuteW",       "WaitForSingleObject", "GetExitCodeProcess",
      "CloseHandle",        "Sleep",               "OutputDebugStringW"};
  static_assert(sizeof(names) / sizeof(names[0]) == kCallCount, "a name for every call");
  return names[static_cast<int>(call)];
}

WString FoldCase(const WString& text) {
  WString folded = text;
  for (WCHAR& c : folded) {
    if (c >= u'a' && c <= u'z') c = static_cast<WCHAR>(c - u'a' + u'A');
  }
  return folded;
}

std::string Narrow(const WString& text) {
  std::string out;
  for (WCHAR c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      char buf[12];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out;
}

std::vector<BYTE> Utf16Bytes(const WString& text, int terminators) {
  std::vector<BYTE> bytes;
  for (WCHAR c : text) {
    bytes.push_back(static_cast<BYTE>(c & 0xFF));
    bytes.push_back(static_cast<BYTE>(c >> 8));
  }
  for (int i = 0; i < terminators; ++i) {
    bytes.push_back(0);
    bytes.push_back(0);
  }
  return bytes;
}

struct Machine::Key {
  struct Value {
    WString name;
    DWORD type = win::REG_NONE;
    std::vector<BYTE> data;
  };
  WString name;
  WString folded;  // the name as the registry compares it
  Key* parent = nullptr;
  std::vector<std::shared_ptr<Key>> subkeys;  // in the registry's order: by folded name
  std::vector<Value> values;
  bool denied = false;
  bool deleted = false;

  // Subkeys stay sorted by their folded names, so that a name is found by
  // binary search and enumeration by index is direct.
  std::vector<std::shared_ptr<Key>>::const_iterator Position(const WString& foldedName) const {
    return std::lower_bound(subkeys.begin(), subkeys.end(), foldedName,
                            [](const auto& k, const WString& n) { return k->folded < n; });
  }
  std::shared_ptr<Key> Child(const WString& childName) const {
    WString folded = FoldCase(childName);
    auto at = Position(folded);
    return at != subkeys.end() && (*at)->folded == folded ? *at : nullptr;
  }
  std::shared_ptr<Key> AddChild(const WString& childName) {
    auto key = std::make_shared<Key>();
    key->name = childName;
    key->folded = FoldCase(childName);
    key->parent = this;
    subkeys.insert(subkeys.begin() + (Position(key->folded) - subkeys.cbegin()), key);
    return key;
  }
  void RemoveChild(const Key* child) {
    auto at = Position(child->folded);
    if (at != subkeys.end() && at->get() == child) subkeys.erase(subkeys.begin() + (at - subkeys.cbegin()));
  }
  Value* FindValue(const WString& valueName) {
    WString folded = FoldCase(valueName);
    for (auto& v : values)
      if (FoldCase(v.name) == folded) return &v;
    return nullptr;
  }
  WString Path() const {
    return parent == nullptr ? name : parent->Path() + u'\\' + name;
  }
};

struct Machine::Process {
  ProcessStart start;
  ProgramScript script;
  std::uint64_t endsAtMs = 0;
  bool ended = false;
  bool held = false;  // a handle was handed out and not yet closed
};

struct Machine::ArgvStorage {
  std::vector<WString> strings;
  std::vector<WCHAR*> pointers;
};

Machine::Machine() : localMachine_(new Key), currentUser_(new Key) {
  // Room enough that recording a call allocates nothing: an allocation
  // failure injected into a run then lands in the product, not here.
  callLog.reserve(1 << 16);
  localMachine_->name = u"HKEY_LOCAL_MACHINE";
  currentUser_->name = u"HKEY_CURRENT_USER";
  computerNamesEx = {
      {win::ComputerNameNetBIOS, u"WS-0042"},
      {win::ComputerNameDnsHostname, u"ws-0042"},
      {win::ComputerNameDnsDomain, u"corp.example"},
      {win::ComputerNameDnsFullyQualified, u"ws-0042.corp.example"},
      {win::ComputerNamePhysicalNetBIOS, u"WS-0042"},
      {win::ComputerNamePhysicalDnsHostname, u"ws-0042"},
      {win::ComputerNamePhysicalDnsDomain, u"corp.example"},
      {win::ComputerNamePhysicalDnsFullyQualified, u"ws-0042.corp.example"},
  };
  CreateKey(win::HKeyLocalMachine(), u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  AddLibrary(SystemFile(u"shfolder.dll"), {"SHGetFolderPathA", "SHGetFolderPathW"});
}

Machine::~Machine() = default;

const Fault* Machine::Enter(Call call) {
  int n = callCounts_[static_cast<int>(call)]++;
  if (callLog.size() < callLog.capacity()) callLog.push_back(call);
  for (const Fault& f : faults_) {
    if (f.call == call && n >= f.occurrence && n < f.occurrence + f.times) {
      if (f.throwBadAlloc) throw std::bad_alloc();
      return &f;
    }
  }
  return nullptr;
}

// ---------------------------------------------------------------- registry

Machine::Key* Machine::Root(HKEY root) const {
  if (root == win::HKeyLocalMachine()) return localMachine_.get();
  if (root == win::HKeyCurrentUser()) return currentUser_.get();
  return nullptr;
}

Machine::Key* Machine::Resolve(HKEY key) const {
  if (Key* root = Root(key)) return root;
  auto it = openKeys_.find(reinterpret_cast<std::uintptr_t>(key));
  return it == openKeys_.end() ? nullptr : it->second.get();
}

Machine::Key* Machine::Find(Key* from, const WString& path, bool create) {
  Key* key = from;
  for (const WString& part : SplitPath(path)) {
    std::shared_ptr<Key> child = key->Child(part);
    if (!child) {
      if (!create) return nullptr;
      child = key->AddChild(part);
    }
    key = child.get();
  }
  return key;
}

const Machine::Key* Machine::Find(HKEY root, const WString& path) const {
  return const_cast<Machine*>(this)->Find(Root(root), path, false);
}

void Machine::CreateKey(HKEY root, const WString& path) { Find(Root(root), path, true); }

void Machine::SetValue(HKEY root, const WString& path, const WString& name, DWORD type,
                       const std::vector<BYTE>& data) {
  Key* key = Find(Root(root), path, true);
  Key::Value* value = key->FindValue(name);
  if (value == nullptr) {
    key->values.push_back({name, type, data});
  } else {
    value->type = type;
    value->data = data;
  }
}

void Machine::SetString(HKEY root, const WString& path, const WString& name, const WString& text) {
  SetValue(root, path, name, win::REG_SZ, Utf16Bytes(text));
}

void Machine::SetDword(HKEY root, const WString& path, const WString& name, DWORD value) {
  SetValue(root, path, name, win::REG_DWORD,
           {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
            static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)});
}

bool Machine::DeleteTree(HKEY root, const WString& path) {
  Key* key = Find(Root(root), path, false);
  if (key == nullptr || key->parent == nullptr) return false;
  std::function<void(Key*)> mark = [&](Key* k) {
    k->deleted = true;
    for (auto& c : k->subkeys) mark(c.get());
  };
  mark(key);
  key->parent->RemoveChild(key);
  return true;
}

bool Machine::KeyExists(HKEY root, const WString& path) const { return Find(root, path) != nullptr; }

bool Machine::ValueExists(HKEY root, const WString& path, const WString& name) const {
  const Key* key = Find(root, path);
  return key != nullptr && const_cast<Key*>(key)->FindValue(name) != nullptr;
}

void Machine::DenyAccess(HKEY root, const WString& path) { Find(Root(root), path, true)->denied = true; }

LONG Machine::RegOpenKeyExW(HKEY parent, const WCHAR* subKey, DWORD, win::REGSAM, HKEY* result) {
  if (result != nullptr) *result = nullptr;
  if (const Fault* f = Enter(Call::RegOpenKeyExW)) return f->status;
  Key* from = Resolve(parent);
  if (from == nullptr) return win::ERROR_INVALID_HANDLE;
  if (from->deleted) return kErrorKeyDeleted;
  WString path = FromPtr(subKey);
  if (!path.empty() && path[0] == u'\\') return kErrorBadPathname;
  Key* key = Find(from, path, false);
  if (key == nullptr) return win::ERROR_FILE_NOT_FOUND;
  if (key->denied) return win::ERROR_ACCESS_DENIED;
  if (result == nullptr) return win::ERROR_INVALID_PARAMETER;
  // Hand out a shared owner, so that a key deleted while open stays valid.
  std::shared_ptr<Key> owner;
  if (key->parent == nullptr) {
    owner = std::shared_ptr<Key>(std::shared_ptr<Key>(), key);  // a root: never deleted
  } else {
    owner = key->parent->Child(key->name);
  }
  std::uintptr_t handle = (nextHandle_ += 4);
  openKeys_[handle] = owner;
  ++keysOpened_;
  *result = reinterpret_cast<HKEY>(handle);
  return win::ERROR_SUCCESS;
}

LONG Machine::RegQueryValueExW(HKEY key, const WCHAR* valueName, DWORD* reserved, DWORD* type,
                               BYTE* data, DWORD* size) {
  if (const Fault* f = Enter(Call::RegQueryValueExW)) return f->status;
  Key* k = Resolve(key);
  if (k == nullptr) return win::ERROR_INVALID_HANDLE;
  if (k->deleted) return kErrorKeyDeleted;
  if (reserved != nullptr) return win::ERROR_INVALID_PARAMETER;
  Key::Value* value = k->FindValue(FromPtr(valueName));
  if (value == nullptr) return win::ERROR_FILE_NOT_FOUND;
  if (data != nullptr && size == nullptr) return win::ERROR_INVALID_PARAMETER;
  if (type != nullptr) *type = value->type;
  DWORD needed = static_cast<DWORD>(value->data.size());
  if (data == nullptr) {
    if (size != nullptr) *size = needed;
    return win::ERROR_SUCCESS;
  }
  if (*size < needed) {
    *size = needed;
    return win::ERROR_MORE_DATA;
  }
  if (needed > 0) std::memcpy(data, value->data.data(), needed);
  *size = needed;
  return win::ERROR_SUCCESS;
}

LONG Machine::RegQueryInfoKeyW(HKEY key, WCHAR* className, DWORD* classChars, DWORD*,
                               DWORD* subKeys, DWORD* maxSubKeyChars, DWORD* maxClassChars,
                               DWORD* values, DWORD* maxValueNameChars, DWORD* maxValueBytes,
                               DWORD* securityDescriptorBytes, win::FILETIME* lastWrite) {
  if (const Fault* f = Enter(Call::RegQueryInfoKeyW)) return f->status;
  Key* k = Resolve(key);
  if (k == nullptr) return win::ERROR_INVALID_HANDLE;
  if (k->deleted) return kErrorKeyDeleted;
  if (className != nullptr && classChars != nullptr && *classChars > 0) className[0] = 0;
  if (classChars != nullptr) *classChars = 0;
  if (subKeys != nullptr) *subKeys = static_cast<DWORD>(k->subkeys.size());
  if (maxSubKeyChars != nullptr) {
    DWORD longest = 0;
    for (auto& c : k->subkeys) longest = std::max(longest, static_cast<DWORD>(c->name.size()));
    *maxSubKeyChars = longest;
  }
  if (maxClassChars != nullptr) *maxClassChars = 0;
  if (values != nullptr) *values = static_cast<DWORD>(k->values.size());
  DWORD longestName = 0, largest = 0;
  for (auto& v : k->values) {
    longestName = std::max(longestName, static_cast<DWORD>(v.name.size()));
    largest = std::max(largest, static_cast<DWORD>(v.data.size()));
  }
  if (maxValueNameChars != nullptr) *maxValueNameChars = longestName;
  if (maxValueBytes != nullptr) *maxValueBytes = largest;
  if (securityDescriptorBytes != nullptr) *securityDescriptorBytes = 0;
  if (lastWrite != nullptr) *lastWrite = win::FILETIME{0, 0};
  return win::ERROR_SUCCESS;
}

LONG Machine::RegEnumKeyExW(HKEY key, DWORD index, WCHAR* name, DWORD* nameChars, DWORD*,
                            WCHAR* className, DWORD* classChars, win::FILETIME* lastWrite) {
  if (const Fault* f = Enter(Call::RegEnumKeyExW)) return f->status;
  Key* k = Resolve(key);
  if (k == nullptr) return win::ERROR_INVALID_HANDLE;
  if (k->deleted) return kErrorKeyDeleted;
  if (index >= k->subkeys.size()) return win::ERROR_NO_MORE_ITEMS;
  if (name == nullptr || nameChars == nullptr) return win::ERROR_INVALID_PARAMETER;
  const WString& found = k->subkeys[index]->name;
  if (*nameChars < found.size() + 1) return win::ERROR_MORE_DATA;
  std::copy(found.begin(), found.end(), name);
  name[found.size()] = 0;
  *nameChars = static_cast<DWORD>(found.size());
  if (className != nullptr && classChars != nullptr && *classChars > 0) className[0] = 0;
  if (classChars != nullptr) *classChars = 0;
  if (lastWrite != nullptr) *lastWrite = win::FILETIME{0, 0};
  return win::ERROR_SUCCESS;
}

LONG Machine::RegDeleteKeyW(HKEY key, const WCHAR* subKey) {
  if (const Fault* f = Enter(Call::RegDeleteKeyW)) return f->status;
  Key* from = Resolve(key);
  if (from == nullptr) return win::ERROR_INVALID_HANDLE;
  if (from->deleted) return kErrorKeyDeleted;
  Key* target = Find(from, FromPtr(subKey), false);
  if (target == nullptr) return win::ERROR_FILE_NOT_FOUND;
  if (target == from || target->parent == nullptr) return win::ERROR_ACCESS_DENIED;
  if (!target->subkeys.empty()) return win::ERROR_ACCESS_DENIED;  // not recursive
  target->deleted = true;
  target->parent->RemoveChild(target);
  return win::ERROR_SUCCESS;
}

LONG Machine::RegCloseKey(HKEY key) {
  if (const Fault* f = Enter(Call::RegCloseKey)) return f->status;
  if (Root(key) != nullptr) return win::ERROR_SUCCESS;
  auto it = openKeys_.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == openKeys_.end()) return win::ERROR_INVALID_HANDLE;
  openKeys_.erase(it);
  return win::ERROR_SUCCESS;
}

// ---------------------------------------------------------------- process, start-up

HANDLE Machine::GetCurrentProcess() {
  Enter(Call::GetCurrentProcess);
  return reinterpret_cast<HANDLE>(kCurrentProcess);
}

BOOL Machine::IsWow64Process(HANDLE process, BOOL* result) {
  if (Enter(Call::IsWow64Process)) return win::FALSE;
  if (process != reinterpret_cast<HANDLE>(kCurrentProcess)) {
    auto it = processes_.find(reinterpret_cast<std::uintptr_t>(process));
    if (it == processes_.end() || !it->second->held) return win::FALSE;
  }
  *result = wow64 ? win::TRUE : win::FALSE;
  return win::TRUE;
}

const WCHAR* Machine::GetCommandLineW() {
  if (Enter(Call::GetCommandLineW)) return u"";
  return commandLine.c_str();
}

// The platform's splitting rules: the program name runs to the next quote when
// it starts with one, else to the first blank; after it, blanks separate
// arguments, quotes group, 2n backslashes before a quote give n and the quote
// groups, 2n+1 give n and a literal quote, and three quotes in a row give one.
WCHAR** Machine::CommandLineToArgvW(const WCHAR* text, int* argc) {
  if (Enter(Call::CommandLineToArgvW)) return nullptr;
  if (text == nullptr || argc == nullptr) return nullptr;
  auto storage = std::make_unique<ArgvStorage>();
  const WCHAR* s = text;
  if (*s == 0) {
    storage->strings.push_back(modulePath);
  } else {
    WString arg;
    if (*s == u'"') {
      ++s;
      while (*s != 0 && *s != u'"') arg += *s++;
      if (*s == u'"') ++s;
    } else {
      while (*s != 0 && *s != u' ' && *s != u'\t') arg += *s++;
    }
    storage->strings.push_back(arg);
    while (*s == u' ' || *s == u'\t') ++s;
    if (*s != 0) {
      arg.clear();
      int quotes = 0;
      int backslashes = 0;
      bool inArg = true;
      while (*s != 0) {
        if ((*s == u' ' || *s == u'\t') && quotes == 0) {
          storage->strings.push_back(arg);
          arg.clear();
          backslashes = 0;
          while (*s == u' ' || *s == u'\t') ++s;
          inArg = *s != 0;
          continue;
        }
        if (*s == u'\\') {
          arg += *s++;
          ++backslashes;
        } else if (*s == u'"') {
          if (backslashes % 2 == 0) {
            arg.erase(arg.size() - backslashes / 2);
            ++quotes;
          } else {
            arg.erase(arg.size() - backslashes / 2 - 1);
            arg += u'"';
          }
          ++s;
          backslashes = 0;
          while (*s == u'"') {
            if (++quotes == 3) {
              arg += u'"';
              quotes = 0;
            }
            ++s;
          }
          if (quotes == 2) quotes = 0;
        } else {
          arg += *s++;
          backslashes = 0;
        }
      }
      if (inArg) storage->strings.push_back(arg);
    }
  }
  for (WString& str : storage->strings) storage->pointers.push_back(str.data());
  storage->pointers.push_back(nullptr);
  *argc = static_cast<int>(storage->strings.size());
  WCHAR** vector = storage->pointers.data();
  argvStorage_[vector] = std::move(storage);
  return vector;
}

win::HLOCAL Machine::LocalFree(win::HLOCAL memory) {
  if (Enter(Call::LocalFree)) return memory;
  if (memory == nullptr) return nullptr;
  auto it = argvStorage_.find(memory);
  if (it == argvStorage_.end()) return memory;
  argvStorage_.erase(it);
  return nullptr;
}

BOOL Machine::GetVersionExW(win::OSVERSIONINFOW* info) {
  if (Enter(Call::GetVersionExW)) return win::FALSE;
  DWORD size = info->dwOSVersionInfoSize;
  if (size != sizeof(win::OSVERSIONINFOW) && size != sizeof(win::OSVERSIONINFOEXW))
    return win::FALSE;
  info->dwMajorVersion = os.major;
  info->dwMinorVersion = os.minor;
  info->dwBuildNumber = os.build;
  info->dwPlatformId = os.platformId;
  std::fill(std::begin(info->szCSDVersion), std::end(info->szCSDVersion), WCHAR(0));
  std::copy_n(os.csdVersion.begin(), std::min<size_t>(os.csdVersion.size(), 127),
              info->szCSDVersion);
  if (size == sizeof(win::OSVERSIONINFOEXW)) {
    auto* ex = reinterpret_cast<win::OSVERSIONINFOEXW*>(info);
    ex->wServicePackMajor = os.servicePackMajor;
    ex->wServicePackMinor = os.servicePackMinor;
    ex->wSuiteMask = os.suiteMask;
    ex->wProductType = os.productType;
    ex->wReserved = 0;
  }
  return win::TRUE;
}

namespace {
BOOL CopyName(const WString& name, WCHAR* buffer, DWORD* size) {
  if (*size < name.size() + 1) {
    *size = static_cast<DWORD>(name.size() + 1);
    return win::FALSE;
  }
  std::copy(name.begin(), name.end(), buffer);
  buffer[name.size()] = 0;
  *size = static_cast<DWORD>(name.size());
  return win::TRUE;
}
}  // namespace

BOOL Machine::GetComputerNameW(WCHAR* buffer, DWORD* size) {
  if (Enter(Call::GetComputerNameW)) return win::FALSE;
  return CopyName(computerName, buffer, size);
}

BOOL Machine::GetComputerNameExW(win::ComputerNameFormat format, WCHAR* buffer, DWORD* size) {
  if (Enter(Call::GetComputerNameExW)) return win::FALSE;
  auto it = computerNamesEx.find(format);
  if (it == computerNamesEx.end()) return win::FALSE;
  return CopyName(it->second, buffer, size);
}

HMODULE Machine::GetModuleHandleW(const WCHAR* name) {
  if (Enter(Call::GetModuleHandleW)) return nullptr;
  if (name != nullptr) return nullptr;
  return reinterpret_cast<HMODULE>(kModuleBase);
}

DWORD Machine::GetModuleFileNameW(HMODULE module, WCHAR* buffer, DWORD size) {
  if (Enter(Call::GetModuleFileNameW)) return 0;
  if (module != nullptr && module != reinterpret_cast<HMODULE>(kModuleBase)) return 0;
  if (size == 0) return 0;
  if (modulePath.size() >= size) {
    // As XP and Wine do: the buffer is filled, with no terminator.
    std::copy_n(modulePath.begin(), size, buffer);
    return size;
  }
  std::copy(modulePath.begin(), modulePath.end(), buffer);
  buffer[modulePath.size()] = 0;
  return static_cast<DWORD>(modulePath.size());
}

UINT Machine::GetSystemDirectoryW(WCHAR* buffer, UINT size) {
  if (Enter(Call::GetSystemDirectoryW)) return 0;
  if (size < systemDirectory.size() + 1) return static_cast<UINT>(systemDirectory.size() + 1);
  std::copy(systemDirectory.begin(), systemDirectory.end(), buffer);
  buffer[systemDirectory.size()] = 0;
  return static_cast<UINT>(systemDirectory.size());
}

// ---------------------------------------------------------------- libraries

void Machine::AddLibrary(const WString& fullPath, std::set<std::string> exports) {
  Library& library = libraries_[FoldCase(fullPath)];
  library.exports = std::move(exports);
  // A handle of its own, fixed for the machine's life, whatever is added later.
  if (library.handle == nullptr)
    library.handle = reinterpret_cast<HMODULE>(0x10000000 + 0x10000 * libraries_.size());
}

Machine::Library* Machine::Loaded(HMODULE module) {
  for (auto& [path, library] : libraries_)
    if (library.handle == module && library.references > 0) return &library;
  return nullptr;
}

HMODULE Machine::LoadLibraryW(const WCHAR* path) {
  if (Enter(Call::LoadLibraryW)) return nullptr;
  WString name = FromPtr(path);
  libraryLoads.push_back(name);
  // Only a full path finds a library here: the simulated machine has no
  // search path, so a load by bare name is a load that finds nothing.
  auto it = libraries_.find(FoldCase(name));
  if (it == libraries_.end()) return nullptr;
  ++it->second.references;
  return it->second.handle;
}

win::FARPROC Machine::GetProcAddress(HMODULE module, const char* name) {
  if (Enter(Call::GetProcAddress)) return nullptr;
  Library* library = Loaded(module);
  return library != nullptr && library->exports.count(name) ? &EntryPoint : nullptr;
}

BOOL Machine::FreeLibrary(HMODULE module) {
  if (Enter(Call::FreeLibrary)) return win::FALSE;
  Library* library = Loaded(module);
  if (library == nullptr) return win::FALSE;
  --library->references;
  return win::TRUE;
}

BOOL Machine::SetDefaultDllDirectories(DWORD flags) {
  if (Enter(Call::SetDefaultDllDirectories) || !hasSetDefaultDllDirectories) return win::FALSE;
  defaultDllDirectories = flags;
  return win::TRUE;
}

BOOL Machine::SetDllDirectoryW(const WCHAR* path) {
  if (Enter(Call::SetDllDirectoryW)) return win::FALSE;
  dllDirectory = FromPtr(path);
  return win::TRUE;
}

// ---------------------------------------------------------------- programs

void Machine::Script(const WString& file, ProgramScript script) {
  scripts_[FoldCase(file)] = std::move(script);
}

const ProgramScript* Machine::FindScript(const WString& file) const {
  auto it = scripts_.find(FoldCase(file));
  return it == scripts_.end() ? nullptr : &it->second;
}

BOOL Machine::ShellExecuteExW(win::SHELLEXECUTEINFOW* info) {
  if (info != nullptr) info->hProcess = nullptr;
  if (Enter(Call::ShellExecuteExW)) return win::FALSE;
  if (info == nullptr || info->cbSize != sizeof(win::SHELLEXECUTEINFOW)) return win::FALSE;
  ProcessStart start;
  start.api = "ShellExecuteExW";
  start.recordSize = info->cbSize;
  start.mask = info->fMask;
  start.hasOwner = info->hwnd != nullptr;
  start.hasVerb = info->lpVerb != nullptr;
  start.verb = FromPtr(info->lpVerb);
  start.file = FromPtr(info->lpFile);
  start.hasParameters = info->lpParameters != nullptr;
  start.parameters = FromPtr(info->lpParameters);
  start.hasDirectory = info->lpDirectory != nullptr;
  start.directory = FromPtr(info->lpDirectory);
  start.show = info->nShow;
  start.atMs = nowMs_;
  starts.push_back(start);
  const ProgramScript* script = FindScript(start.file);
  if (script == nullptr) {
    info->hInstApp = reinterpret_cast<win::HINSTANCE>(std::uintptr_t{2});  // SE_ERR_FNF
    return win::FALSE;
  }
  info->hInstApp = reinterpret_cast<win::HINSTANCE>(std::uintptr_t{42});
  auto process = std::make_unique<Process>();
  process->start = start;
  process->script = *script;
  process->endsAtMs = nowMs_ + script->runMs;
  Process* running = process.get();
  std::uintptr_t handle = (nextHandle_ += 4);
  processes_[handle] = std::move(process);
  At(running->endsAtMs, [running] {
    running->ended = true;
    if (running->script.onExit) running->script.onExit();
  });
  // Without NOCLOSEPROCESS nobody holds the process: it runs on unobserved.
  running->held = (info->fMask & win::SEE_MASK_NOCLOSEPROCESS) != 0;
  if (running->held) info->hProcess = reinterpret_cast<HANDLE>(handle);
  return win::TRUE;
}

win::HINSTANCE Machine::ShellExecuteW(win::HWND owner, const WCHAR* verb, const WCHAR* file,
                                      const WCHAR* parameters, const WCHAR* directory, int show) {
  if (const Fault* f = Enter(Call::ShellExecuteW))
    return reinterpret_cast<win::HINSTANCE>(static_cast<std::uintptr_t>(f->status));
  ProcessStart start;
  start.api = "ShellExecuteW";
  start.hasOwner = owner != nullptr;
  start.hasVerb = verb != nullptr;
  start.verb = FromPtr(verb);
  start.file = FromPtr(file);
  start.hasParameters = parameters != nullptr;
  start.parameters = FromPtr(parameters);
  start.hasDirectory = directory != nullptr;
  start.directory = FromPtr(directory);
  start.show = show;
  start.atMs = nowMs_;
  starts.push_back(start);
  const ProgramScript* script = FindScript(start.file);
  if (script == nullptr) return reinterpret_cast<win::HINSTANCE>(std::uintptr_t{2});  // SE_ERR_FNF
  if (shellExecuteResult > 32) {
    ProgramScript copy = *script;
    At(nowMs_ + copy.runMs, [copy] {
      if (copy.onExit) copy.onExit();
    });
  }
  return reinterpret_cast<win::HINSTANCE>(shellExecuteResult);
}

DWORD Machine::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  if (Enter(Call::WaitForSingleObject)) return win::WAIT_FAILED;
  auto it = processes_.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == processes_.end() || !it->second->held) return win::WAIT_FAILED;
  Process& process = *it->second;
  if (process.ended) return win::WAIT_OBJECT_0;
  std::uint64_t wait = process.endsAtMs - nowMs_;
  if (milliseconds != win::INFINITE && milliseconds < wait) {
    Advance(milliseconds);
    return win::WAIT_TIMEOUT;
  }
  Advance(wait);
  return win::WAIT_OBJECT_0;
}

BOOL Machine::GetExitCodeProcess(HANDLE handle, DWORD* exitCode) {
  if (Enter(Call::GetExitCodeProcess)) return win::FALSE;
  auto it = processes_.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == processes_.end() || !it->second->held || exitCode == nullptr) return win::FALSE;
  *exitCode = it->second->ended ? it->second->script.exitCode : win::STILL_ACTIVE;
  return win::TRUE;
}

BOOL Machine::CloseHandle(HANDLE handle) {
  if (Enter(Call::CloseHandle)) return win::FALSE;
  auto it = processes_.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == processes_.end() || !it->second->held) return win::FALSE;
  // The process runs on without us; its record stays for its end event.
  it->second->held = false;
  return win::TRUE;
}

// ---------------------------------------------------------------- clock, debugger

void Machine::At(std::uint64_t ms, std::function<void()> event) {
  events_.emplace(ms, std::move(event));
  RunDueEvents();
}

void Machine::RunDueEvents() {
  while (!events_.empty() && events_.begin()->first <= nowMs_) {
    auto event = std::move(events_.begin()->second);
    events_.erase(events_.begin());
    event();
  }
}

void Machine::Advance(std::uint64_t ms) {
  std::uint64_t target = nowMs_ + ms;
  while (!events_.empty() && events_.begin()->first <= target) {
    nowMs_ = std::max(nowMs_, events_.begin()->first);
    RunDueEvents();
  }
  nowMs_ = target;
}

void Machine::Sleep(DWORD milliseconds) {
  Enter(Call::Sleep);
  sleeps.push_back(milliseconds);
  Advance(milliseconds);
}

void Machine::OutputDebugStringW(const WCHAR* text) {
  Enter(Call::OutputDebugStringW);
  debugOutput.push_back(FromPtr(text));
}

// ---------------------------------------------------------------- accounting

std::vector<std::string> Machine::OpenResources() const {
  std::vector<std::string> open;
  for (const auto& [handle, key] : openKeys_)
    open.push_back("registry key " + Narrow(key->Path()));
  for (const auto& [handle, process] : processes_)
    if (process->held) open.push_back("process handle of " + Narrow(process->start.file));
  for (const auto& [storage, block] : argvStorage_)
    open.push_back("argument vector of " + std::to_string(block->strings.size()) + " strings");
  for (const auto& [path, library] : libraries_)
    if (library.references > 0)
      open.push_back("library " + Narrow(path) + " x" + std::to_string(library.references));
  return open;
}

std::string Machine::Dump() const {
  std::ostringstream out;
  out << "simulated machine at " << nowMs_ << " ms\n";
  std::function<void(const Key&, int)> dumpKey = [&](const Key& key, int depth) {
    out << std::string(depth * 2, ' ') << '[' << Narrow(key.name) << "]\n";
    for (const auto& v : key.values) {
      out << std::string(depth * 2 + 2, ' ') << '"' << Narrow(v.name) << "\" type " << v.type
          << ", " << v.data.size() << " bytes\n";
    }
    for (const auto& c : key.subkeys) dumpKey(*c, depth + 1);
  };
  dumpKey(*localMachine_, 0);
  for (const ProcessStart& s : starts)
    out << "start " << s.api << " \"" << Narrow(s.file) << "\" \"" << Narrow(s.parameters)
        << "\" at " << s.atMs << " ms\n";
  for (const std::string& r : OpenResources()) out << "open: " << r << '\n';
  out << "calls:";
  for (int i = 0; i < kCallCount; ++i)
    if (callCounts_[i] > 0) out << ' ' << CallName(static_cast<Call>(i)) << '=' << callCounts_[i];
  out << '\n';
  return out.str();
}

}  // namespace sim

// The simulated registry: keys and values in memory, the platform's statuses,
// its enumeration order and its access rules.
//
// Contract (as Windows, and as the contract suite checks against Wine):
//  - Statuses: 2 for a missing key or value, 6 for a handle that is not an open
//    or predefined key, 234 with the size needed for a value that does not fit,
//    259 past the last subkey, 87 for a missing output or a reserved field,
//    1018 for a key deleted while open, 161 for a path that starts with "\".
//  - Names compare without regard to ASCII letter case; subkeys enumerate in
//    the order of their upper-cased names.
//  - Every open is recorded with its options and access mask; option bits do
//    not change the answer (the contract suite shows the platform ignores
//    them). A key answers value queries and key information only when it was opened
//    with KEY_QUERY_VALUE, and enumerates only with KEY_ENUMERATE_SUB_KEYS; it
//    answers 5 otherwise, as Windows does (Wine does not enforce rights). The
//    predefined keys hold every right.
//  - A denied key (DenyAccess) answers 5 to every open.
//  - RegDeleteKeyW is not recursive: a key with subkeys answers 5.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win_types.h"

namespace sim {

// One RegOpenKeyExW, as the product asked for it.
struct KeyOpen {
  win::WString path;  // the subkey path as given, below `parent`
  bool belowPredefined = false;
  win::DWORD options = 0;
  win::REGSAM access = 0;
  win::LONG status = 0;
};

class Registry {
 public:
  Registry();
  ~Registry();

  void CreateKey(win::HKEY root, const win::WString& path);
  void SetValue(win::HKEY root, const win::WString& path, const win::WString& name,
                win::DWORD type, const std::vector<win::BYTE>& data);
  bool DeleteTree(win::HKEY root, const win::WString& path);
  bool KeyExists(win::HKEY root, const win::WString& path) const;
  bool ValueExists(win::HKEY root, const win::WString& path, const win::WString& name) const;
  void DenyAccess(win::HKEY root, const win::WString& path);

  std::vector<KeyOpen> opens;  // every RegOpenKeyExW, in order
  std::vector<win::DWORD> enumNameChars;  // the name buffer size of every RegEnumKeyExW on a key that may be enumerated, in order

  win::LONG Open(win::HKEY parent, const win::WCHAR* subKey, win::DWORD options,
                 win::REGSAM access, win::HKEY* result, std::uintptr_t handle);
  win::LONG QueryValue(win::HKEY key, const win::WCHAR* valueName, win::DWORD* reserved,
                       win::DWORD* type, win::BYTE* data, win::DWORD* size);
  win::LONG QueryInfo(win::HKEY key, win::WCHAR* className, win::DWORD* classChars,
                      win::DWORD* reserved, win::DWORD* subKeys, win::DWORD* maxSubKeyChars,
                      win::DWORD* maxClassChars, win::DWORD* values,
                      win::DWORD* maxValueNameChars, win::DWORD* maxValueBytes,
                      win::DWORD* securityDescriptorBytes, win::FILETIME* lastWrite);
  win::LONG EnumKey(win::HKEY key, win::DWORD index, win::WCHAR* name, win::DWORD* nameChars,
                    win::WCHAR* className, win::DWORD* classChars, win::FILETIME* lastWrite);
  win::LONG DeleteKey(win::HKEY key, const win::WCHAR* subKey);
  win::LONG Close(win::HKEY key);

  int KeysOpened() const { return keysOpened_; }
  void OpenResources(std::vector<std::string>& open) const;
  void Dump(std::ostream& out) const;

  struct Key;

 private:
  struct OpenKey {
    std::shared_ptr<Key> key;
    win::REGSAM access;
  };
  Key* Root(win::HKEY root) const;
  // An open or predefined key with its rights, or null.
  Key* Resolve(win::HKEY key, win::REGSAM* access = nullptr) const;
  Key* Find(Key* from, const win::WString& path, bool create);
  const Key* Find(win::HKEY root, const win::WString& path) const;

  std::unique_ptr<Key> localMachine_;
  std::unique_ptr<Key> currentUser_;
  std::map<std::uintptr_t, OpenKey> openKeys_;
  int keysOpened_ = 0;
};

}  // namespace sim

#include "sim/registry.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "sim/text.h"

namespace sim {
namespace {

constexpr win::LONG kErrorKeyDeleted = 1018;
constexpr win::LONG kErrorBadPathname = 161;
constexpr win::REGSAM kAllRights = 0xFFFFFFFF;

std::vector<win::WString> SplitPath(const win::WString& path) {
  std::vector<win::WString> parts;
  win::WString part;
  for (win::WCHAR c : path) {
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

struct Registry::Key {
  struct Value {
    win::WString name;
    win::DWORD type = win::REG_NONE;
    std::vector<win::BYTE> data;
  };
  win::WString name;
  win::WString folded;  // the name as the registry compares it
  Key* parent = nullptr;
  std::vector<std::shared_ptr<Key>> subkeys;  // in the registry's order: by folded name
  std::vector<Value> values;
  bool denied = false;
  bool deleted = false;

  // Subkeys stay sorted by their folded names: found by binary search,
  // enumerated by index directly.
  std::vector<std::shared_ptr<Key>>::const_iterator Position(const win::WString& foldedName) const {
    return std::lower_bound(subkeys.begin(), subkeys.end(), foldedName,
                            [](const auto& k, const win::WString& n) { return k->folded < n; });
  }
  std::shared_ptr<Key> Child(const win::WString& childName) const {
    win::WString f = FoldCase(childName);
    auto at = Position(f);
    return at != subkeys.end() && (*at)->folded == f ? *at : nullptr;
  }
  std::shared_ptr<Key> AddChild(const win::WString& childName) {
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
  Value* FindValue(const win::WString& valueName) {
    win::WString f = FoldCase(valueName);
    for (auto& v : values)
      if (FoldCase(v.name) == f) return &v;
    return nullptr;
  }
  win::WString Path() const { return parent == nullptr ? name : parent->Path() + u'\\' + name; }
};

Registry::Registry() : localMachine_(new Key), currentUser_(new Key) {
  // Room enough that recording an open allocates nothing once the key is
  // open: an allocation failure injected into a run then leaves no key behind.
  opens.reserve(1 << 16);
  localMachine_->name = u"HKEY_LOCAL_MACHINE";
  currentUser_->name = u"HKEY_CURRENT_USER";
}

Registry::~Registry() = default;

Registry::Key* Registry::Root(win::HKEY root) const {
  if (root == win::HKeyLocalMachine()) return localMachine_.get();
  if (root == win::HKeyCurrentUser()) return currentUser_.get();
  return nullptr;
}

Registry::Key* Registry::Resolve(win::HKEY key, win::REGSAM* access) const {
  if (Key* root = Root(key)) {
    if (access != nullptr) *access = kAllRights;
    return root;
  }
  auto it = openKeys_.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == openKeys_.end()) return nullptr;
  if (access != nullptr) *access = it->second.access;
  return it->second.key.get();
}

Registry::Key* Registry::Find(Key* from, const win::WString& path, bool create) {
  Key* key = from;
  for (const win::WString& part : SplitPath(path)) {
    std::shared_ptr<Key> child = key->Child(part);
    if (!child) {
      if (!create) return nullptr;
      child = key->AddChild(part);
    }
    key = child.get();
  }
  return key;
}

const Registry::Key* Registry::Find(win::HKEY root, const win::WString& path) const {
  return const_cast<Registry*>(this)->Find(Root(root), path, false);
}

void Registry::CreateKey(win::HKEY root, const win::WString& path) { Find(Root(root), path, true); }

void Registry::SetValue(win::HKEY root, const win::WString& path, const win::WString& name,
                        win::DWORD type, const std::vector<win::BYTE>& data) {
  Key* key = Find(Root(root), path, true);
  if (Key::Value* value = key->FindValue(name)) {
    value->type = type;
    value->data = data;
  } else {
    key->values.push_back({name, type, data});
  }
}

bool Registry::DeleteTree(win::HKEY root, const win::WString& path) {
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

bool Registry::KeyExists(win::HKEY root, const win::WString& path) const { return Find(root, path) != nullptr; }

bool Registry::ValueExists(win::HKEY root, const win::WString& path, const win::WString& name) const {
  const Key* key = Find(root, path);
  return key != nullptr && const_cast<Key*>(key)->FindValue(name) != nullptr;
}

void Registry::DenyAccess(win::HKEY root, const win::WString& path) { Find(Root(root), path, true)->denied = true; }

win::LONG Registry::Open(win::HKEY parent, const win::WCHAR* subKey, win::DWORD options,
                         win::REGSAM access, win::HKEY* result, std::uintptr_t handle) {
  if (result != nullptr) *result = nullptr;
  KeyOpen record{FromPtr(subKey), Root(parent) != nullptr, options, access, 0};
  auto answer = [&](win::LONG status) {
    record.status = status;
    if (opens.size() < opens.capacity()) opens.push_back(std::move(record));
    return status;
  };
  Key* from = Resolve(parent);
  if (from == nullptr) return answer(win::ERROR_INVALID_HANDLE);
  if (from->deleted) return answer(kErrorKeyDeleted);
  if (!record.path.empty() && record.path[0] == u'\\') return answer(kErrorBadPathname);
  Key* key = Find(from, record.path, false);
  if (key == nullptr) return answer(win::ERROR_FILE_NOT_FOUND);
  if (key->denied) return answer(win::ERROR_ACCESS_DENIED);
  if (result == nullptr) return answer(win::ERROR_INVALID_PARAMETER);
  // A shared owner, so that a key deleted while open stays valid.
  std::shared_ptr<Key> owner = key->parent == nullptr
                                   ? std::shared_ptr<Key>(std::shared_ptr<Key>(), key)  // a root
                                   : key->parent->Child(key->name);
  openKeys_[handle] = {owner, access};
  ++keysOpened_;
  *result = reinterpret_cast<win::HKEY>(handle);
  return answer(win::ERROR_SUCCESS);
}

win::LONG Registry::QueryValue(win::HKEY key, const win::WCHAR* valueName, win::DWORD* reserved,
                               win::DWORD* type, win::BYTE* data, win::DWORD* size) {
  win::REGSAM rights = 0;
  Key* k = Resolve(key, &rights);
  if (k == nullptr) return win::ERROR_INVALID_HANDLE;
  if (k->deleted) return kErrorKeyDeleted;
  if ((rights & win::KEY_QUERY_VALUE) == 0) return win::ERROR_ACCESS_DENIED;
  if (reserved != nullptr) return win::ERROR_INVALID_PARAMETER;
  Key::Value* value = k->FindValue(FromPtr(valueName));
  if (value == nullptr) return win::ERROR_FILE_NOT_FOUND;
  if (data != nullptr && size == nullptr) return win::ERROR_INVALID_PARAMETER;
  if (type != nullptr) *type = value->type;
  auto needed = static_cast<win::DWORD>(value->data.size());
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

win::LONG Registry::QueryInfo(win::HKEY key, win::WCHAR* className, win::DWORD* classChars,
                              win::DWORD*, win::DWORD* subKeys, win::DWORD* maxSubKeyChars,
                              win::DWORD* maxClassChars, win::DWORD* values,
                              win::DWORD* maxValueNameChars, win::DWORD* maxValueBytes,
                              win::DWORD* securityDescriptorBytes, win::FILETIME* lastWrite) {
  win::REGSAM rights = 0;
  Key* k = Resolve(key, &rights);
  if (k == nullptr) return win::ERROR_INVALID_HANDLE;
  if (k->deleted) return kErrorKeyDeleted;
  if ((rights & win::KEY_QUERY_VALUE) == 0) return win::ERROR_ACCESS_DENIED;
  if (className != nullptr && classChars != nullptr && *classChars > 0) className[0] = 0;
  if (classChars != nullptr) *classChars = 0;
  if (subKeys != nullptr) *subKeys = static_cast<win::DWORD>(k->subkeys.size());
  win::DWORD longest = 0, longestName = 0, largest = 0;
  for (auto& c : k->subkeys) longest = std::max(longest, static_cast<win::DWORD>(c->name.size()));
  for (auto& v : k->values) {
    longestName = std::max(longestName, static_cast<win::DWORD>(v.name.size()));
    largest = std::max(largest, static_cast<win::DWORD>(v.data.size()));
  }
  if (maxSubKeyChars != nullptr) *maxSubKeyChars = longest;
  if (maxClassChars != nullptr) *maxClassChars = 0;
  if (values != nullptr) *values = static_cast<win::DWORD>(k->values.size());
  if (maxValueNameChars != nullptr) *maxValueNameChars = longestName;
  if (maxValueBytes != nullptr) *maxValueBytes = largest;
  if (securityDescriptorBytes != nullptr) *securityDescriptorBytes = 0;
  if (lastWrite != nullptr) *lastWrite = win::FILETIME{0, 0};
  return win::ERROR_SUCCESS;
}

win::LONG Registry::EnumKey(win::HKEY key, win::DWORD index, win::WCHAR* name,
                            win::DWORD* nameChars, win::WCHAR* className, win::DWORD* classChars,
                            win::FILETIME* lastWrite) {
  win::REGSAM rights = 0;
  Key* k = Resolve(key, &rights);
  if (k == nullptr) return win::ERROR_INVALID_HANDLE;
  if (k->deleted) return kErrorKeyDeleted;
  if ((rights & win::KEY_ENUMERATE_SUB_KEYS) == 0) return win::ERROR_ACCESS_DENIED;
  if (nameChars != nullptr) enumNameChars.push_back(*nameChars);
  if (index >= k->subkeys.size()) return win::ERROR_NO_MORE_ITEMS;
  if (name == nullptr || nameChars == nullptr) return win::ERROR_INVALID_PARAMETER;
  const win::WString& found = k->subkeys[index]->name;
  if (*nameChars < found.size() + 1) return win::ERROR_MORE_DATA;
  std::copy(found.begin(), found.end(), name);
  name[found.size()] = 0;
  *nameChars = static_cast<win::DWORD>(found.size());
  if (className != nullptr && classChars != nullptr && *classChars > 0) className[0] = 0;
  if (classChars != nullptr) *classChars = 0;
  if (lastWrite != nullptr) *lastWrite = win::FILETIME{0, 0};
  return win::ERROR_SUCCESS;
}

win::LONG Registry::DeleteKey(win::HKEY key, const win::WCHAR* subKey) {
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

win::LONG Registry::Close(win::HKEY key) {
  if (Root(key) != nullptr) return win::ERROR_SUCCESS;
  auto it = openKeys_.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == openKeys_.end()) return win::ERROR_INVALID_HANDLE;
  openKeys_.erase(it);
  return win::ERROR_SUCCESS;
}

void Registry::OpenResources(std::vector<std::string>& open) const {
  for (const auto& [handle, entry] : openKeys_) open.push_back("registry key " + Narrow(entry.key->Path()));
}

void Registry::Dump(std::ostream& out) const {
  std::function<void(const Key&, int)> dumpKey = [&](const Key& key, int depth) {
    out << std::string(depth * 2, ' ') << '[' << Narrow(key.name) << "]\n";
    for (const auto& v : key.values)
      out << std::string(depth * 2 + 2, ' ') << '"' << Narrow(v.name) << "\" type " << v.type
          << ", " << v.data.size() << " bytes\n";
    for (const auto& c : key.subkeys) dumpKey(*c, depth + 1);
  };
  dumpKey(*localMachine_, 0);
  for (const KeyOpen& o : opens)
    out << "open \"" << Narrow(o.path) << "\" options " << o.options << " access 0x" << std::hex
        << o.access << std::dec << " -> " << o.status << '\n';
}

}  // namespace sim

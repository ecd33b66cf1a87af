#include "uninstall/registry_reader.h"

#include <algorithm>
#include <vector>

#include "platform/api.h"
#include "platform/scoped_handle.h"

win::LONG ReadRegistryString(win::HKEY parentKey, const win::WString& keyPath,
                             const win::WString& valueName, win::WString& value) {
  value.clear();
  std::vector<win::BYTE> buffer(VALUE_BUFFER_BYTES, 0);
  win::DWORD size = VALUE_BUFFER_BYTES;

  win::ScopedRegKey key;
  win::LONG status =
      win::Sys().RegOpenKeyExW(parentKey, keyPath.c_str(), 0, win::KEY_READ, key.Receive());
  if (status != win::ERROR_SUCCESS) return status;

  win::DWORD type = win::REG_NONE;
  status = win::Sys().RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type,
                                       buffer.data(), &size);
  if (status != win::ERROR_SUCCESS) return status;
  if (type != win::REG_SZ) return win::ERROR_SUCCESS;

  // A value stored by a careless writer may lack its terminator; drop it only
  // when it is there, so that no character of the text is lost.
  size_t units = std::min(size, VALUE_BUFFER_BYTES) / 2;
  const win::BYTE* data = buffer.data();
  if (units > 0 && data[2 * units - 2] == 0 && data[2 * units - 1] == 0) --units;
  value.reserve(units);
  for (size_t i = 0; i < units; ++i)
    value.push_back(static_cast<win::WCHAR>(data[2 * i] | (data[2 * i + 1] << 8)));
  return win::ERROR_SUCCESS;
}

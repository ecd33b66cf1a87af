// ReadRegistryString: reads one registry value as text.
//
// Opens `keyPath` below `parentKey` with KEY_READ, queries `valueName` once into
// a fresh 512-byte buffer and closes the key. Returns the status of the first
// registry call that failed (2 for a missing key or value, 234 for a value that
// does not fit the buffer), or 0 when the value was queried, whatever its type.
//
// `value` is emptied at entry and holds text only after a successful read of a
// REG_SZ value: the stored UTF-16 units, less exactly one trailing NUL when the
// data ends with one (an odd trailing byte is dropped; NULs inside the data and
// further trailing NULs stay). Every other type reads as empty text.
#pragma once

#include "platform/win_types.h"

constexpr win::DWORD VALUE_BUFFER_BYTES = 512;

[[nodiscard]] win::LONG ReadRegistryString(win::HKEY parentKey, const win::WString& keyPath,
                                         const win::WString& valueName, win::WString& value);

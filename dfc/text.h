// Text helpers shared by the environment's readers, the trace and the package
// check.
#pragma once

#include <vector>

#include "platform/win_types.h"

namespace DFC {

// The size of the buffers the environment reads a name or a path into.
constexpr win::DWORD NAME_BUFFER_CHARS = 2048;

// The text of `buffer` up to its first NUL and at most `limit` units, never
// reading past its end (the platform may leave a full buffer unterminated).
win::WString TextOf(const std::vector<win::WCHAR>& buffer, size_t limit = NAME_BUFFER_CHARS);

}  // namespace DFC

// `code` as "0x" and eight lowercase hexadecimal digits, as the trace and the
// package check's messages write a status or a result code.
win::WString HexCode(win::DWORD code);

// Small text helpers of the simulated machine and its tests.
#pragma once

#include <string>
#include <vector>

#include "platform/win_types.h"

namespace sim {

// Upper-cases the ASCII letters, as the registry and the file system compare names.
win::WString FoldCase(const win::WString& text);
// For messages: ASCII units as they are, every other unit as \uXXXX.
std::string Narrow(const win::WString& text);
// Bytes of a UTF-16 text, with `terminators` NUL units after it.
std::vector<win::BYTE> Utf16Bytes(const win::WString& text, int terminators = 1);
// The text of a pointer that may be null.
inline win::WString FromPtr(const win::WCHAR* text) { return text == nullptr ? win::WString() : win::WString(text); }

}  // namespace sim

#include "uninstall/trace.h"

#include "platform/api.h"

void WriteTrace(win::LONG status, const win::WString& message) {
  win::WString line = message;
  if (status != 0) line += u" (" + HexCode(static_cast<win::DWORD>(status)) + u")";
  win::Sys().OutputDebugStringW(line.c_str());
  win::Sys().OutputDebugStringW(u"\n");
}

win::WString HexCode(win::DWORD code) {
  static const char16_t kDigits[] = u"0123456789abcdef";
  win::WString field = u"0x00000000";
  for (int i = 9; code != 0; --i, code >>= 4) field[i] = kDigits[code & 0xF];
  return field;
}

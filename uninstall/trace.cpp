#include "uninstall/trace.h"

#include "platform/api.h"

void WriteTrace(win::LONG status, const win::WString& message) {
  win::WString line = message;
  if (status != 0) {
    static const char16_t kDigits[] = u"0123456789abcdef";
    win::WString field = u"0x00000000";
    auto bits = static_cast<win::DWORD>(status);
    for (int i = 9; bits != 0; --i, bits >>= 4) field[i] = kDigits[bits & 0xF];
    line += u" (" + field + u")";
  }
  win::Sys().OutputDebugStringW(line.c_str());
  win::Sys().OutputDebugStringW(u"\n");
}

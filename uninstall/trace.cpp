#include "uninstall/trace.h"

#include "dfc/text.h"
#include "platform/api.h"

void WriteTrace(win::LONG status, const win::WString& message) {
  win::WString line = message;
  if (status != 0) line += u" (" + HexCode(static_cast<win::DWORD>(status)) + u")";
  win::Sys().OutputDebugStringW(line.c_str());
  win::Sys().OutputDebugStringW(u"\n");
}

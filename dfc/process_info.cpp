#include "dfc/process_info.h"

#include <vector>

#include "dfc/text.h"
#include "platform/api.h"

namespace DFC {

win::WString NormalizeModulePath(win::WString path) {
  static const win::WString kCurrentDirectorySegment = u"\\.\\";
  for (auto at = path.find(kCurrentDirectorySegment); at != win::WString::npos;
       at = path.find(kCurrentDirectorySegment))
    path.erase(at + 1, 2);  // "\.\" becomes "\"
  return path;
}

ProcessInfo::ProcessInfo() : moduleHandle_(win::Sys().GetModuleHandleW(nullptr)) {
  std::vector<win::WCHAR> buffer(NAME_BUFFER_CHARS, 0);
  win::DWORD got = win::Sys().GetModuleFileNameW(nullptr, buffer.data(), NAME_BUFFER_CHARS);
  if (got == 0) return;
  // A path that filled the buffer may have no terminator: keep 2047 units at most.
  modulePath_ = NormalizeModulePath(TextOf(buffer, NAME_BUFFER_CHARS - 1));
}

ProcessInfo::~ProcessInfo() = default;

}  // namespace DFC

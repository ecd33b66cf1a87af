#include "dfc/text.h"

namespace DFC {

win::WString TextOf(const std::vector<win::WCHAR>& buffer, size_t limit) {
  size_t length = 0;
  while (length < limit && length < buffer.size() && buffer[length] != 0) ++length;
  return win::WString(buffer.data(), length);
}

}  // namespace DFC

win::WString HexCode(win::DWORD code) {
  static const char16_t kDigits[] = u"0123456789abcdef";
  win::WString field = u"0x00000000";
  for (int i = 9; code != 0; --i, code >>= 4) field[i] = kDigits[code & 0xF];
  return field;
}

#include "sim/text.h"

#include <cstdio>

namespace sim {

win::WString FoldCase(const win::WString& text) {
  win::WString folded = text;
  for (win::WCHAR& c : folded) {
    if (c >= u'a' && c <= u'z') c = static_cast<win::WCHAR>(c - u'a' + u'A');
  }
  return folded;
}

std::string Narrow(const win::WString& text) {
  std::string out;
  for (win::WCHAR c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      char buf[12];
      std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out;
}

std::vector<win::BYTE> Utf16Bytes(const win::WString& text, int terminators) {
  std::vector<win::BYTE> bytes;
  for (win::WCHAR c : text) {
    bytes.push_back(static_cast<win::BYTE>(c & 0xFF));
    bytes.push_back(static_cast<win::BYTE>(c >> 8));
  }
  for (int i = 0; i < terminators; ++i) {
    bytes.push_back(0);
    bytes.push_back(0);
  }
  return bytes;
}

}  // namespace sim

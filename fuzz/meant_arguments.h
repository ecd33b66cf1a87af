// What the translation fuzz target and the setup check's property test hold
// the product to, written from the switches' rules here and not taken from
// the product: how a fuzz input becomes a command line, and the arguments
// msiexec is meant to see for an install line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace meant {

using Args = std::vector<std::u16string>;

// Each byte is one unit, but 0xFF, which takes the next two bytes as one unit
// (little-endian): letters beyond ASCII, and NUL, which ends the line there.
// The line is what follows the program's own name and a blank.
inline std::u16string Line(const std::uint8_t* data, std::size_t size) {
  std::u16string line;
  for (std::size_t i = 0; i < size; ++i) {
    char16_t unit = data[i];
    if (data[i] == 0xFF && i + 2 < size) {
      unit = static_cast<char16_t>(data[i + 1] | (data[i + 2] << 8));
      i += 2;
    }
    if (unit == 0) break;
    line.push_back(unit);
  }
  return line;
}

inline bool StartsWith(const std::u16string& text, const char16_t* start) {
  return text.rfind(start, 0) == 0;
}

inline std::u16string Tail(const std::u16string& argument) {
  auto colon = argument.find(u':');
  return colon == std::u16string::npos ? std::u16string() : argument.substr(colon + 1);
}

// The arguments msiexec is meant to see, in order, for an install.
inline Args Meant(const Args& arguments) {
  Args meant;
  std::u16string package = u"Setup.msi";
  for (const std::u16string& a : arguments) {
    if (StartsWith(a, u"/i:")) {
      package = Tail(a);
    } else if (StartsWith(a, u"/PAT:")) {
      meant.push_back(u"PAT=" + Tail(a));
    } else if (StartsWith(a, u"/log")) {
      meant.push_back(u"/L*v");
      meant.push_back(a.find(u':') == std::u16string::npos ? u"dulvinstaller.log" : Tail(a));
    } else if (!a.empty()) {
      meant.push_back(a);
    }
  }
  for (const char16_t* piece : {u"/i", package.c_str(), u"REINSTALL=ALL",
                                u"REINSTALLMODE=vomus", u"/quiet"})
    meant.push_back(piece);
  return meant;
}

}  // namespace meant

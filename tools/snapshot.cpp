// snapshot: builds the environment snapshot on the real platform and prints
// what it holds, one "name=value" line each, for the end-to-end tests.
// (Setup.exe itself prints nothing.)
#include <cstdio>
#include <string>

#include "dfc/environment.h"
#include "platform/win32_api.h"

namespace {
std::string Utf8(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}
void Line(const char* name, const std::u16string& value) {
  std::printf("%s=%s\n", name, Utf8(value).c_str());
}
}  // namespace

int main() {
  win::SetSys(&win::RealApi());
  DFC::DFCEnvironment environment;
  const auto& v = environment.versionInfo();
  Line("version", v.major() + u"." + v.minor() + u"." + v.revision() + u"." + v.build());
  const auto& n = environment.nameInfo();
  Line("computerName", n.computerName());
  Line("netBiosName", n.netBiosName());
  Line("dnsHostName", n.dnsHostName());
  Line("physicalDnsHostName", n.physicalDnsHostName());
  Line("physicalDnsDomain", n.physicalDnsDomain());
  Line("physicalDnsFullyQualifiedName", n.physicalDnsFullyQualifiedName());
  const auto& os = environment.osInfo().versionRecord();
  std::printf("os=%lu.%lu sp%u type%u supported=%d\n", static_cast<unsigned long>(os.dwMajorVersion),
              static_cast<unsigned long>(os.dwMinorVersion), os.wServicePackMajor, os.wProductType,
              environment.osInfo().IsSupportedVersion() ? 1 : 0);
  Line("modulePath", environment.processInfo().modulePath());
  std::u16string library(2048, u'\0');
  win::DWORD length = win::Sys().GetModuleFileNameW(environment.configInfo().folderLibrary(),
                                                   &library[0], 2048);
  Line("folderLibrary", environment.configInfo().folderLibrary() ? library.substr(0, length) : u"");
  std::printf("getFolderPath=%s\n", environment.configInfo().getFolderPath() ? "resolved" : "null");
  std::printf("switches=%zu words=%zu\n", environment.arguments().switches().Count(),
              environment.arguments().words().Count());
  return 0;
}

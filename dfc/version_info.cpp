#include "dfc/version_info.h"

#include <vector>

#include "dfc/constants.h"
#include "dfc/text.h"
#include "platform/api.h"

namespace DFC {

VersionInfo::VersionInfo() {
  major_ = kVersionMajor;
  minor_ = kVersionMinor;
  revision_ = kVersionRevision;
  build_ = kVersionBuild;
}

VersionInfo::~VersionInfo() = default;

namespace {

// One name query into the shared buffer; a failed call delivers nothing.
win::WString NameEx(win::ComputerNameFormat format, std::vector<win::WCHAR>& buffer) {
  win::DWORD size = NAME_BUFFER_CHARS;
  if (!win::Sys().GetComputerNameExW(format, buffer.data(), &size)) return win::WString();
  return TextOf(buffer);
}

}  // namespace

NameInfo::NameInfo() {
  std::vector<win::WCHAR> buffer(NAME_BUFFER_CHARS, 0);
  win::DWORD size = NAME_BUFFER_CHARS;
  if (win::Sys().GetComputerNameW(buffer.data(), &size) && size != 0) computerName_ = TextOf(buffer);

  win::OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  // A failed query leaves the major version 0: no extended names are asked for.
  static_cast<void>(win::Sys().GetVersionExW(&version));
  if (version.dwMajorVersion < 5) return;

  physicalDnsHostName_ = NameEx(win::ComputerNamePhysicalDnsHostname, buffer);
  physicalDnsDomain_ = NameEx(win::ComputerNamePhysicalDnsDomain, buffer);
  physicalDnsFullyQualifiedName_ = NameEx(win::ComputerNamePhysicalDnsFullyQualified, buffer);
  netBiosName_ = NameEx(win::ComputerNameNetBIOS, buffer);
  if (netBiosName_ == computerName_) netBiosName_.clear();
  dnsHostName_ = NameEx(win::ComputerNameDnsHostname, buffer);
  if (dnsHostName_ == physicalDnsHostName_) dnsHostName_.clear();
}

NameInfo::~NameInfo() = default;

}  // namespace DFC

// VersionInfo: the program's four version components as text.
// NameInfo: the computer's names in the platform's several formats. The
// NetBIOS name is kept only where it differs from computerName, the DNS host
// name only where it differs from physicalDnsHostName (exact comparison).
// A name the platform does not deliver stays empty.
#pragma once

#include "platform/win_types.h"

namespace DFC {

class VersionInfo {
 public:
  VersionInfo();
  virtual ~VersionInfo();

  const win::WString& major() const { return major_; }
  const win::WString& minor() const { return minor_; }
  const win::WString& revision() const { return revision_; }
  const win::WString& build() const { return build_; }

 private:
  win::WString major_;
  win::WString minor_;
  win::WString revision_;
  win::WString build_;
};

class NameInfo {
 public:
  NameInfo();
  virtual ~NameInfo();

  const win::WString& netBiosName() const { return netBiosName_; }
  const win::WString& dnsHostName() const { return dnsHostName_; }
  const win::WString& computerName() const { return computerName_; }
  const win::WString& physicalDnsHostName() const { return physicalDnsHostName_; }
  const win::WString& physicalDnsDomain() const { return physicalDnsDomain_; }
  const win::WString& physicalDnsFullyQualifiedName() const { return physicalDnsFullyQualifiedName_; }

 private:
  win::WString netBiosName_;
  win::WString dnsHostName_;
  win::WString computerName_;
  win::WString physicalDnsHostName_;
  win::WString physicalDnsDomain_;
  win::WString physicalDnsFullyQualifiedName_;
};

}  // namespace DFC

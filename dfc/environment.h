// DFCEnvironment: a snapshot of the machine and of the running program, taken
// once by the constructor and read-only afterwards. The members are built in
// their order of declaration and destroyed in reverse; an exception from one
// of them destroys those already built and reaches the caller.
#pragma once

#include "dfc/arguments.h"
#include "dfc/config_info.h"
#include "dfc/os_info.h"
#include "dfc/process_info.h"
#include "dfc/version_info.h"

// DFC: the deployment facts of the computer, the namespace of the snapshot
// (DFCEnvironment), its facts (the *Info classes) and its tokenizer
// (DFCArguments).
namespace DFC {

class DFCEnvironment {
 public:
  DFCEnvironment();
  virtual ~DFCEnvironment();
  DFCEnvironment(const DFCEnvironment&) = delete;
  DFCEnvironment& operator=(const DFCEnvironment&) = delete;

  const VersionInfo& versionInfo() const { return versionInfo_; }
  const NameInfo& nameInfo() const { return nameInfo_; }
  const OSInfo& osInfo() const { return osInfo_; }
  const ProcessInfo& processInfo() const { return processInfo_; }
  const ConfigInfo& configInfo() const { return configInfo_; }
  const DFCArguments& arguments() const { return arguments_; }

 private:
  VersionInfo versionInfo_;
  NameInfo nameInfo_;
  OSInfo osInfo_;
  ProcessInfo processInfo_;
  ConfigInfo configInfo_;
  DFCArguments arguments_;
};

}  // namespace DFC

// A layer over any platform: the simulated machine on the host, or the real
// Win32 layer in the Windows test build. It forwards every call to the
// platform below, and can make any occurrence of any call fail or raise
// instead; it counts every call, and every handle the product receives and
// gives back (registry keys, the process handle, the argument vector,
// libraries), so that the same fault sweep runs over either platform.
//
// Contract:
//  - A failing call does not reach the platform below and answers as that call
//    fails (platform/api.h), with the failure answer of its line in
//    platform/api_calls.h: the fault's status for the registry calls, FALSE,
//    null or 0 for the others (ShellExecuteExW also leaves hProcess null and
//    hInstApp the fault's status; the name queries leave some text in the
//    buffer, whose contents are unspecified on failure; RegOpenKeyExW leaves
//    its key null), WAIT_FAILED for the wait, the block itself for LocalFree,
//    and the fault's status for CoInitializeEx when it is an HRESULT failure
//    (below zero), else E_OUTOFMEMORY. SetErrorMode, GetCurrentProcess,
//    CoUninitialize, Sleep, GetLastError and OutputDebugStringW cannot fail on
//    the platform: a fault on them is counted and the call goes through.
//  - What a call hands out or gives back is counted as its line says: a
//    CoInitializeEx that answers S_OK or S_FALSE is held until one
//    CoUninitialize gives it back, as a handle is.
//  - A raising call throws std::bad_alloc before it reaches the platform.
//  - Occurrences count from the injection, per call.
//  - Each call is logged with what it names (its first text argument), so a
//    reader of the log knows which key or value a call was about without
//    inferring it from the calls around it.
//  - The layer allocates nothing while the product runs (its bookkeeping is
//    fixed-size), so an allocation fault injected into a run lands in the
//    product or the platform, never here.
#pragma once

#include <string>
#include <vector>

#include "platform/api.h"
#include "platform/api_calls.h"

namespace faults {

struct Fault {
  win::Call call;
  int occurrence = 0;  // which call of this kind, counted from the injection
  int times = 1;       // how many calls in a row, from `occurrence`
  win::LONG status = win::ERROR_ACCESS_DENIED;
  bool raise = false;  // throw std::bad_alloc instead of failing
};

// It derives from Api, not from ForwardingApi: every call of the list is
// defined here from its line, its failure answer included, never a call that
// forwards unseen.
class FaultApi final : public win::Api {
 public:
  explicit FaultApi(win::Api& platform);
  FaultApi(const FaultApi&) = delete;
  FaultApi& operator=(const FaultApi&) = delete;

  void Inject(const Fault& fault);
  int CallCount(win::Call call) const { return counts_[static_cast<int>(call)]; }
  std::vector<win::Call> callLog;  // every call, in order
  // Beside each call of the log, what it names: its first text argument (the
  // key a registry open names, the value a query reads, the library a load
  // names), the first kSubjectUnits - 1 units of it; empty when it has none.
  static constexpr int kSubjectUnits = 64;
  struct Subject {
    win::WCHAR text[kSubjectUnits];
  };
  std::vector<Subject> subjects;

  // The handles the product received from the platform and has not given back.
  std::vector<std::string> OpenHandles() const;
  std::string Counts() const;  // "RegOpenKeyExW=3 ..." for failure messages

  // ---- win::Api: every call of platform/api_calls.h, each failing and
  // accounting as its line there says.
  PELLWORTH_API_OVERRIDES

 private:
  // Counts the call; raises, or answers the fault that applies to it, if any.
  const Fault* Enter(win::Call call, const win::WCHAR* subject);
  enum class Kind { Key, Process, Vector, Library, Com };
  void Received(Kind kind, const void* handle);
  void GivenBack(Kind kind, const void* handle);

  struct Held {
    Kind kind;
    const void* handle;
  };
  static constexpr int kMaxHeld = 64;
  static constexpr int kMaxFaults = 8;

  Fault faults_[kMaxFaults];
  int faultCount_ = 0;
  int counts_[win::kCallCount] = {};
  Held held_[kMaxHeld];
  int heldCount_ = 0;
  int overflow_ = 0;  // handles past kMaxHeld, reported as open
  win::Api& below_;
};

}  // namespace faults

// COM on the calling thread for the life of a scope, as the shell's starts
// need it: "Because ShellExecuteEx can delegate execution to Shell extensions
// (data sources, context menu handlers, verb implementations) that are
// activated using Component Object Model (COM), COM should be initialized
// before ShellExecuteEx is called. Some Shell extensions require the COM
// single-threaded apartment (STA) type." ("ShellExecuteExW function"). So it
// initializes as that page's sample does: apartment-threaded, without OLE1 DDE.
//
// What each answer leaves:
//   S_OK, S_FALSE        ready; the scope's end balances it with CoUninitialize
//                        (S_FALSE too: COM was initialized there already, and
//                        each success counts)
//   RPC_E_CHANGED_MODE   ready: COM is initialized on the thread in another
//                        apartment (neither program does that); nothing to
//                        balance, and "Some Shell extensions require" STA is the
//                        most that can be missing
//   any other failure    not ready: the caller starts nothing and reports the
//                        start as failed, the same as a start the platform
//                        refused (a start the page says to prepare for would
//                        otherwise run unprepared)
#pragma once

#include "platform/api.h"

namespace win {

class ScopedCom {
 public:
  ScopedCom() : result_(Sys().CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ScopedCom() {
    if (result_ == S_OK || result_ == S_FALSE) Sys().CoUninitialize();
  }
  ScopedCom(const ScopedCom&) = delete;
  ScopedCom& operator=(const ScopedCom&) = delete;

  bool Ready() const { return result_ == S_OK || result_ == S_FALSE || result_ == RPC_E_CHANGED_MODE; }
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace win

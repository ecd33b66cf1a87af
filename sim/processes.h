// Scripted programs, the processes the product starts, and the virtual clock.
//
// Contract:
//  - A start finds its program by full path (case-insensitive); an unknown
//    program does not start (FALSE, hInstApp 2, last error 2).
//  - The caller has no message loop (neither program has one): a start that
//    does not ask SEE_MASK_NOASYNC is lost, as Windows may lose an activation
//    it runs on a thread the caller's end cuts off. It is refused (FALSE,
//    hInstApp SE_ERR_DDEFAIL) and counted in lostStarts, so no test can pass
//    with such a start.
//  - A program named msiexec.exe, started with a command line that real
//    msiexec answers with its usage window, or with a modal box at the end
//    (sim/msiexec.h), never ends: it is counted in usageWindows or
//    modalBoxes, and a wait on it without a time-out answers WAIT_FAILED and
//    is counted in hungWaits (on Windows it would never return). Every host
//    test's end checks that none of these happened (the one test that makes
//    modal boxes on purpose counts and clears them).
//  - The shell may hand a start to extensions that need COM on the calling
//    thread ("ShellExecuteExW function"): a start from the thread while COM is
//    not initialized there is refused (FALSE, hInstApp SE_ERR_DDEFAIL) and
//    counted in startsWithoutCom, so no test can pass with one. CoInitializeEx
//    answers S_OK, then S_FALSE while it is initialized in the same apartment,
//    RPC_E_CHANGED_MODE for another one (not counted); each S_OK or S_FALSE is
//    to be balanced by one CoUninitialize, and one left over, or one too many,
//    is an open resource.
//  - A thread in a COM apartment has a hidden window that must go on handling
//    messages: "a thread that uses a wait function with no time-out interval
//    may cause the system to become deadlocked", CoInitialize being one of the
//    calls that creates such a window ("WaitForSingleObject function",
//    remarks). A wait without a time-out while the thread is in a
//    single-threaded apartment is refused (WAIT_FAILED) and counted in
//    waitsInApartment, so no test can pass with one.
//  - hInstApp answers above 32 only when SEE_MASK_NOCLOSEPROCESS was asked;
//    without it, a start that succeeds leaves it null (it means nothing then).
//  - ShellExecuteExW checks the record's size, hands out a process handle only
//    when SEE_MASK_NOCLOSEPROCESS was asked, and none at all for a program
//    scripted `noProcessHandle` (the platform may start a program through
//    another process and answer success without a handle).
//  - A started program runs for its `runMs` of virtual time, then its onExit
//    runs and it exits with its exitCode. Waiting on it, and every Sleep,
//    advance the clock; events fall due in time order.
//  - A start refused after its record was read shows an error box, as Windows
//    does, unless the record asked for none (SEE_MASK_FLAG_NO_UI; a record of
//    the wrong size fails with neither box nor last error): each box is counted in
//    errorBoxes (on Windows it stays until somebody closes it, and in
//    session 0 nobody can).
//  - A handle that was closed, or never handed out, is a bad handle:
//    WAIT_FAILED, and FALSE from GetExitCodeProcess and CloseHandle.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_types.h"
#include "sim/msiexec.h"

namespace sim {

// What a started program does: it runs for `runMs` of virtual time, then
// `onExit` runs (to write or delete registry data, say) and it exits with
// `exitCode`.
struct ProgramScript {
  win::DWORD exitCode = 0;
  win::DWORD runMs = 1000;
  std::function<void()> onExit;
  bool noProcessHandle = false;  // ShellExecuteExW succeeds without a handle
};

// One start of a program, as the product asked for it.
struct ProcessStart {
  bool hasVerb = false;
  win::WString verb;
  win::WString file;
  bool hasParameters = false;
  win::WString parameters;
  bool hasDirectory = false;
  win::WString directory;
  int show = -1;
  win::UINT errorMode = 0;  // the caller's error mode, which the child inherits
  win::DWORD mask = 0;
  // What Windows Installer was asked to do, as msiexec reads its line: the
  // road the start served, read from the start itself.
  MsiexecAction action = MsiexecAction::Other;
  win::DWORD recordSize = 0;
  bool hasOwner = false;
  std::uint64_t atMs = 0;
};

class Processes {
 public:
  Processes();
  ~Processes();

  void Script(const win::WString& file, ProgramScript script);
  std::vector<ProcessStart> starts;
  int errorBoxes = 0;  // error boxes a failed start showed
  int lostStarts = 0;  // starts without SEE_MASK_NOASYNC
  int startsWithoutCom = 0;  // starts while COM was not initialized on the thread
  int usageWindows = 0;  // msiexec starts that showed the usage window
  int modalBoxes = 0;    // msiexec starts that ended on a modal box
  int hungWaits = 0;     // waits without a time-out on a program that never ends
  int waitsInApartment = 0;  // waits without a time-out in a single-threaded apartment
  win::DWORD lastError = 0;  // what GetLastError answers: the last failed start's reason
  // What a start of a scripted program answers in hInstApp: above 32 it
  // starts; 32 or less refuses it with that error.
  std::uintptr_t shellExecuteResult = 42;
  // The last error of a start refused that way, when not the same number
  // (1223, ERROR_CANCELLED, for a refused consent).
  win::DWORD refusalError = 0;

  // ---- COM on the program's one thread.
  win::HRESULT CoInitialize(win::DWORD flags);
  void CoUninitialize();
  std::vector<win::DWORD> comFlags;  // every CoInitializeEx's flags, in order
  int comInitializations = 0;        // successful ones not yet balanced
  int extraUninitializations = 0;    // CoUninitialize with none to balance

  // ---- The virtual clock.
  std::uint64_t NowMs() const { return nowMs_; }
  void At(std::uint64_t ms, std::function<void()> event);
  void Advance(std::uint64_t ms);
  std::vector<win::DWORD> sleeps;

  win::BOOL StartEx(win::SHELLEXECUTEINFOW* info, std::uintptr_t handle);
  // A start that fails with `error` (hInstApp, and the last error unless
  // `lastError` names another): no process, and the error box unless the
  // record asked for none.
  win::BOOL Refuse(win::SHELLEXECUTEINFOW* info, std::uintptr_t error, win::DWORD lastError = 0);
  win::DWORD Wait(win::HANDLE handle, win::DWORD milliseconds);
  win::BOOL ExitCode(win::HANDLE handle, win::DWORD* exitCode);
  win::BOOL Close(win::HANDLE handle);
  void Sleep(win::DWORD milliseconds);
  // Whether `handle` is a process handle handed out and not yet closed.
  bool Holds(win::HANDLE handle) const;

  void OpenResources(std::vector<std::string>& open) const;
  void Dump(std::ostream& out) const;

 private:
  struct Process;
  const ProgramScript* FindScript(const win::WString& file) const;
  void RunDueEvents();

  std::map<std::uintptr_t, std::unique_ptr<Process>> processes_;  // held or not, all kept
  std::map<win::WString, ProgramScript> scripts_;                 // by upper-cased file
  std::multimap<std::uint64_t, std::function<void()>> events_;
  std::uint64_t nowMs_ = 0;
  win::DWORD apartment_ = 0;  // COINIT_APARTMENTTHREADED or not, while initialized
};

}  // namespace sim

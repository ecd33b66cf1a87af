#include "sim/processes.h"

#include <algorithm>
#include <ostream>

#include "sim/msiexec.h"
#include "sim/text.h"

namespace sim {

struct Processes::Process {
  ProcessStart start;
  ProgramScript script;
  std::uint64_t endsAtMs = 0;
  bool ended = false;
  bool held = false;  // a handle was handed out and not yet closed
  bool endless = false;  // msiexec's usage window or a modal box: nobody closes it
};

Processes::Processes() = default;
Processes::~Processes() = default;

void Processes::Script(const win::WString& file, ProgramScript script) {
  scripts_[FoldCase(file)] = std::move(script);
}

const ProgramScript* Processes::FindScript(const win::WString& file) const {
  auto it = scripts_.find(FoldCase(file));
  return it == scripts_.end() ? nullptr : &it->second;
}

win::BOOL Processes::Refuse(win::SHELLEXECUTEINFOW* info, std::uintptr_t error,
                           win::DWORD lastError) {
  info->hProcess = nullptr;
  info->hInstApp = reinterpret_cast<win::HINSTANCE>(error);
  this->lastError = lastError != 0 ? lastError : static_cast<win::DWORD>(error);
  if ((info->fMask & win::SEE_MASK_FLAG_NO_UI) == 0) ++errorBoxes;
  return win::FALSE;
}

win::BOOL Processes::StartEx(win::SHELLEXECUTEINFOW* info, std::uintptr_t handle) {
  if (info != nullptr) info->hProcess = nullptr;
  if (info == nullptr || info->cbSize != sizeof(win::SHELLEXECUTEINFOW)) return win::FALSE;
  ProcessStart start;
  start.recordSize = info->cbSize;
  start.mask = info->fMask;
  start.hasOwner = info->hwnd != nullptr;
  start.hasVerb = info->lpVerb != nullptr;
  start.verb = FromPtr(info->lpVerb);
  start.file = FromPtr(info->lpFile);
  start.hasParameters = info->lpParameters != nullptr;
  start.parameters = FromPtr(info->lpParameters);
  start.hasDirectory = info->lpDirectory != nullptr;
  start.directory = FromPtr(info->lpDirectory);
  start.show = info->nShow;
  start.atMs = nowMs_;
  start.action = MsiexecActionOf(start.file, start.parameters);
  starts.push_back(start);
  if ((info->fMask & win::SEE_MASK_NOASYNC) == 0) {
    ++lostStarts;
    return Refuse(info, 29);  // SE_ERR_DDEFAIL: the activation never completed
  }
  if (comInitializations == 0) {
    ++startsWithoutCom;
    return Refuse(info, 29);  // an extension that needs COM could not run
  }
  const ProgramScript* script = FindScript(start.file);
  if (script == nullptr) return Refuse(info, 2);  // SE_ERR_FNF
  if (shellExecuteResult <= 32) return Refuse(info, shellExecuteResult, refusalError);
  bool asked = (info->fMask & win::SEE_MASK_NOCLOSEPROCESS) != 0;
  info->hInstApp = reinterpret_cast<win::HINSTANCE>(asked ? shellExecuteResult : 0);
  auto process = std::make_unique<Process>();
  process->start = start;
  process->script = *script;
  process->endsAtMs = nowMs_ + script->runMs;
  Process* running = process.get();
  processes_[handle] = std::move(process);
  win::WString name = FoldCase(start.file.substr(start.file.find_last_of(u"\\/") + 1));
  bool usage = name == u"MSIEXEC.EXE" && MsiexecShowsUsage(start.parameters);
  bool box = name == u"MSIEXEC.EXE" && !usage && MsiexecShowsModalBox(start.parameters);
  if (usage || box) {
    running->endless = true;
    ++(usage ? usageWindows : modalBoxes);
  } else {
    At(running->endsAtMs, [running] {
      running->ended = true;
      if (running->script.onExit) running->script.onExit();
    });
  }
  // Without NOCLOSEPROCESS nobody holds the process: it runs on unobserved.
  running->held = (info->fMask & win::SEE_MASK_NOCLOSEPROCESS) != 0 && !script->noProcessHandle;
  if (running->held) info->hProcess = reinterpret_cast<win::HANDLE>(handle);
  return win::TRUE;
}

win::HRESULT Processes::CoInitialize(win::DWORD flags) {
  comFlags.push_back(flags);
  win::DWORD apartment = flags & win::COINIT_APARTMENTTHREADED;
  if (comInitializations > 0 && apartment != apartment_) return win::RPC_E_CHANGED_MODE;
  apartment_ = apartment;
  return comInitializations++ == 0 ? win::S_OK : win::S_FALSE;
}

void Processes::CoUninitialize() {
  if (comInitializations == 0) {
    ++extraUninitializations;
    return;
  }
  --comInitializations;
}

bool Processes::Holds(win::HANDLE handle) const {
  auto it = processes_.find(reinterpret_cast<std::uintptr_t>(handle));
  return it != processes_.end() && it->second->held;
}

win::DWORD Processes::Wait(win::HANDLE handle, win::DWORD milliseconds) {
  if (milliseconds == win::INFINITE && comInitializations > 0 &&
      apartment_ == win::COINIT_APARTMENTTHREADED) {
    ++waitsInApartment;
    return win::WAIT_FAILED;
  }
  if (!Holds(handle)) return win::WAIT_FAILED;
  Process& process = *processes_.at(reinterpret_cast<std::uintptr_t>(handle));
  if (process.ended) return win::WAIT_OBJECT_0;
  if (process.endless) {
    if (milliseconds == win::INFINITE) {
      ++hungWaits;
      return win::WAIT_FAILED;
    }
    Advance(milliseconds);
    return win::WAIT_TIMEOUT;
  }
  std::uint64_t wait = process.endsAtMs - nowMs_;
  if (milliseconds != win::INFINITE && milliseconds < wait) {
    Advance(milliseconds);
    return win::WAIT_TIMEOUT;
  }
  Advance(wait);
  return win::WAIT_OBJECT_0;
}

win::BOOL Processes::ExitCode(win::HANDLE handle, win::DWORD* exitCode) {
  if (!Holds(handle) || exitCode == nullptr) return win::FALSE;
  const Process& process = *processes_.at(reinterpret_cast<std::uintptr_t>(handle));
  *exitCode = process.ended ? process.script.exitCode : win::STILL_ACTIVE;
  return win::TRUE;
}

win::BOOL Processes::Close(win::HANDLE handle) {
  if (!Holds(handle)) return win::FALSE;
  // The process runs on without us; its record stays for its end event.
  processes_.at(reinterpret_cast<std::uintptr_t>(handle))->held = false;
  return win::TRUE;
}

void Processes::Sleep(win::DWORD milliseconds) {
  sleeps.push_back(milliseconds);
  Advance(milliseconds);
}

void Processes::At(std::uint64_t ms, std::function<void()> event) {
  events_.emplace(ms, std::move(event));
  RunDueEvents();
}

void Processes::RunDueEvents() {
  while (!events_.empty() && events_.begin()->first <= nowMs_) {
    auto event = std::move(events_.begin()->second);
    events_.erase(events_.begin());
    event();
  }
}

void Processes::Advance(std::uint64_t ms) {
  std::uint64_t target = nowMs_ + ms;
  while (!events_.empty() && events_.begin()->first <= target) {
    nowMs_ = std::max(nowMs_, events_.begin()->first);
    RunDueEvents();
  }
  nowMs_ = target;
}

void Processes::OpenResources(std::vector<std::string>& open) const {
  for (const auto& [handle, process] : processes_)
    if (process->held) open.push_back("process handle of " + Narrow(process->start.file));
  if (comInitializations != 0)
    open.push_back("COM initialized " + std::to_string(comInitializations) + " time(s) more than uninitialized");
  if (extraUninitializations != 0)
    open.push_back(std::to_string(extraUninitializations) + " CoUninitialize call(s) with nothing to balance");
}

void Processes::Dump(std::ostream& out) const {
  out << "virtual clock at " << nowMs_ << " ms\n";
  if (lostStarts != 0) out << lostStarts << " start(s) lost: no SEE_MASK_NOASYNC\n";
  if (startsWithoutCom != 0) out << startsWithoutCom << " start(s) refused: COM not initialized\n";
  if (waitsInApartment != 0) out << waitsInApartment << " wait(s) without a time-out refused: COM initialized\n";
  if (usageWindows != 0) out << usageWindows << " msiexec usage window(s), never closed\n";
  if (modalBoxes != 0) out << modalBoxes << " msiexec modal box(es), never closed\n";
  for (const ProcessStart& s : starts)
    out << "start \"" << Narrow(s.file) << "\" \"" << Narrow(s.parameters)
        << "\" at " << s.atMs << " ms\n";
}

}  // namespace sim

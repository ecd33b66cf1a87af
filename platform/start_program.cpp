#include "platform/start_program.h"

#include "platform/scoped_com.h"

namespace win {

bool CommandLineFits(const WString& path, const WString& parameters) {
  // "path" then one blank, the parameters and the terminating null.
  return path.size() + parameters.size() + 4 <= COMMAND_LINE_UNITS;
}

StartOutcome StartProgram(const StartRequest& request) {
  if (request.path.empty()) return {false, 0};
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  if (request.process != nullptr) info.fMask |= SEE_MASK_NOCLOSEPROCESS;
  info.lpVerb = request.verb;
  info.lpFile = request.path.c_str();
  info.lpParameters = request.parameters.empty() ? nullptr : request.parameters.c_str();
  info.nShow = request.show;

  ScopedCom com;
  if (!com.Ready()) return {false, static_cast<DWORD>(com.Result())};
  bool started = Sys().ShellExecuteExW(&info) != FALSE;
  DWORD error = started ? 0 : Sys().GetLastError();
  if (request.process != nullptr) request.process->Reset(info.hProcess);
  return {started, error};
}

}  // namespace win

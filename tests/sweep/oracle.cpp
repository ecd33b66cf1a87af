#include "sweep/oracle.h"

#include <gtest/gtest.h>

#include "setup/entry.h"

namespace sweep {

using win::Call;

namespace {

// Where a call of the clean run stands in the run, read from the call itself:
// its name, its own occurrence and what it names (the fault layer's subject),
// never from the calls around it. The entry's stages call these; the two calls
// made in two stages are told apart by their own occurrence.
enum class Stage { Start, Snapshot, Translation, Road };

const std::u16string kUninstallKeyPath = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

struct Role {
  Stage stage = Stage::Start;
  int occurrence = 0;          // of its call, counted from the start of the run
  std::u16string subject;      // what it names, or empty
  int sameSubjectBefore = 0;   // earlier calls of its kind that named the same
};

Stage StageOf(Call call, int occurrence) {
  switch (call) {
    case Call::SetErrorMode:
    case Call::GetCurrentProcess:
    case Call::IsWow64Process:
    case Call::IsWow64Process2:
    case Call::SetDllDirectoryW:
      return Stage::Start;
    case Call::SetDefaultDllDirectories:  // the restriction, then the snapshot's library load
      return occurrence == 0 ? Stage::Start : Stage::Snapshot;
    case Call::GetCommandLineW:  // the snapshot's tokenizer, then the translation
      return occurrence == 0 ? Stage::Snapshot : Stage::Translation;
    case Call::GetSystemDirectoryW:  // the snapshot's library, then a start's program
      return occurrence == 0 ? Stage::Snapshot : Stage::Road;
    case Call::GetVersionExW:
    case Call::GetComputerNameW:
    case Call::GetComputerNameExW:
    case Call::GetModuleHandleW:
    case Call::GetModuleFileNameW:
    case Call::LoadLibraryExW:
    case Call::GetProcAddress:
    case Call::FreeLibrary:
      return Stage::Snapshot;
    case Call::CommandLineToArgvW:
    case Call::LocalFree:
      return Stage::Translation;
    default:
      return Stage::Road;
  }
}

Role Classify(const std::vector<Call>& log, const std::vector<std::u16string>& subjects,
              std::size_t position) {
  Role role;
  const Call call = log[position];
  role.subject = subjects[position];
  for (std::size_t i = 0; i < position; ++i) {
    if (log[i] != call) continue;
    ++role.occurrence;
    if (subjects[i] == role.subject) ++role.sameSubjectBefore;
  }
  role.stage = StageOf(call, role.occurrence);
  return role;
}

ResultCode InstallCode(const Rules& rules, bool started, win::DWORD run) {
  bool confirmed = rules.hostIdBefore || (rules.installerWritesHostId && started);
  if (confirmed) return RESULT_SUCCESS;
  return run == 0 ? RESULT_NOT_CONFIRMED : InstallerResult(run);
}

Expected Removal(const Rules& rules, bool launched) {
  if (launched) return {false, RESULT_SUCCESS, Started::Uninstall};
  return {false, rules.strict ? RESULT_STRICT_NOTHING_LAUNCHED : RESULT_SUCCESS, Started::Nothing};
}

}  // namespace

bool IsRelease(Call call) { return win::KindOf(call) == win::CallKind::Releases; }

Expected Clean(const Rules& rules) {
  switch (rules.road) {
    case Road::Gate: return {false, RESULT_UNSUPPORTED_PLATFORM, Started::Nothing};
    case Road::BadArguments: return {false, RESULT_BAD_ARGUMENTS, Started::Nothing};
    case Road::Install: return {false, InstallCode(rules, true, 0), Started::Installer};
    case Road::Removal: return Removal(rules, rules.matchIndex >= 0);
  }
  return {};
}

Expected Expect(const Rules& rules, const std::vector<Call>& log,
                const std::vector<std::u16string>& subjects, std::size_t position, bool raise) {
  const Expected clean = Clean(rules);
  const Expected threw{true, 0, Started::Nothing};
  const Call call = log[position];
  const Role role = Classify(log, subjects, position);
  // Calls that cannot fail on the platform: a fault on them changes nothing.
  bool cannotFail = win::KindOf(call) == win::CallKind::CannotFail;

  switch (role.stage) {
    case Stage::Start:
      if (raise) return threw;
      if (cannotFail) return clean;
      if (call == Call::IsWow64Process) return {false, RESULT_ENVIRONMENT_ERROR, Started::Nothing};
      return clean;  // SetDefaultDllDirectories falls back to SetDllDirectoryW
    case Stage::Snapshot:
      // Every exception while the snapshot is built or checked stops the run.
      if (raise) return {false, RESULT_ENVIRONMENT_ERROR, Started::Nothing};
      // The second version query fills the record the gates read.
      if (call == Call::GetVersionExW && role.occurrence == 1)
        return {false, RESULT_UNSUPPORTED_PLATFORM, Started::Nothing};
      return clean;  // any other fact missing is left empty
    case Stage::Translation:
      if (raise) return threw;
      if (call == Call::LocalFree) return clean;
      // No vector, or no text: no arguments, so an install without PAT.
      return {false, RESULT_BAD_ARGUMENTS, Started::Nothing};
    case Stage::Road:
      break;
  }
  if (cannotFail && !raise) return clean;
  if (IsRelease(call)) return clean;

  if (rules.road == Road::Install) {
    switch (call) {
      case Call::GetSystemDirectoryW:
        if (raise) return threw;
        return {false, InstallCode(rules, false, 1), Started::Nothing};
      case Call::CoInitializeEx:  // no start without COM: as a start that failed
      case Call::ShellExecuteExW:
        return {false, InstallCode(rules, false, raise ? 0xFFFFFFFF : 1), Started::Nothing};
      case Call::WaitForSingleObject:
        return {false, InstallCode(rules, true, raise ? 0xFFFFFFFF : 3), Started::Installer};
      case Call::GetExitCodeProcess:
        return {false, InstallCode(rules, true, raise ? 0xFFFFFFFF : 4), Started::Installer};
      default:
        // The poll: an exception leaves the entry; a failed read is one more
        // read, well within the sixty.
        if (raise) return threw;
        return clean;
    }
  }
  // The removal road: nothing there is guarded.
  if (raise) return threw;
  switch (call) {
    case Call::RegOpenKeyExW:
      if (role.subject == kUninstallKeyPath) return {false, RESULT_REMOVAL_FAILED, Started::Nothing};
      // The match's first open reads its DisplayName: without it, no match.
      if (rules.matchName != nullptr && role.subject == rules.matchName && role.sameSubjectBefore == 0)
        return Removal(rules, false);
      return clean;  // another entry, or the read of an UninstallString: only traced
    case Call::RegQueryValueExW:
      // Each entry's DisplayName is read once, in enumeration order.
      if (role.subject == u"DisplayName" && role.sameSubjectBefore == rules.matchIndex)
        return Removal(rules, false);
      return clean;
    case Call::RegQueryInfoKeyW:
      return {false, RESULT_REMOVAL_FAILED, Started::Nothing};
    case Call::RegEnumKeyExW:  // its occurrence is the index it asks for
      return role.occurrence == rules.matchIndex ? Removal(rules, false) : clean;
    case Call::GetSystemDirectoryW:
    case Call::CoInitializeEx:
    case Call::ShellExecuteExW:
      return {false, RESULT_REMOVAL_FAILED, Started::Nothing};
    default:
      return clean;
  }
}

Outcome RunSetup(faults::FaultApi& layer, const std::optional<faults::Fault>& fault) {
  win::ScopedSys use(layer);
  if (fault) layer.Inject(*fault);
  Outcome outcome;
  try {
    outcome.code = SetupMain(0, nullptr);
  } catch (const std::bad_alloc&) {
    outcome.threw = true;
  }
  outcome.open = layer.OpenHandles();
  outcome.log = layer.callLog;
  for (const faults::FaultApi::Subject& subject : layer.subjects) outcome.subjects.emplace_back(subject.text);
  return outcome;
}

int Sweep(const Rules& rules, const std::function<Outcome(const std::optional<faults::Fault>&)>& run) {
  Outcome clean = run(std::nullopt);
  Expected expectedClean = Clean(rules);
  EXPECT_FALSE(clean.threw);
  EXPECT_EQ(clean.code, expectedClean.code) << "the clean run";
  if (clean.started) {
    EXPECT_EQ(*clean.started, expectedClean.started) << "the clean run";
  }
  EXPECT_EQ(clean.open, std::vector<std::string>()) << "the clean run";
  int points = 0;
  int seen[win::kCallCount] = {};
  for (std::size_t position = 0; position < clean.log.size(); ++position) {
    Call call = clean.log[position];
    int occurrence = seen[static_cast<int>(call)]++;
    for (bool raise : {false, true}) {
      if (raise && IsRelease(call)) continue;
      SCOPED_TRACE(std::string(win::CallName(call)) + " #" + std::to_string(occurrence) +
                   (raise ? " raising" : " failing") + " (call " + std::to_string(position) + ")");
      Expected expected = Expect(rules, clean.log, clean.subjects, position, raise);
      Outcome outcome = run(faults::Fault{call, occurrence, 1, win::ERROR_ACCESS_DENIED, raise});
      ++points;
      EXPECT_EQ(outcome.threw, expected.threw);
      if (!expected.threw) {
        EXPECT_EQ(outcome.code, expected.code) << std::hex << outcome.code << " instead of "
                                               << expected.code;
      }
      if (outcome.started && !expected.threw) {
        EXPECT_EQ(*outcome.started, expected.started);
      }
      if (!IsRelease(call)) {
        EXPECT_EQ(outcome.open, std::vector<std::string>());
      }
    }
  }
  return points;
}

}  // namespace sweep

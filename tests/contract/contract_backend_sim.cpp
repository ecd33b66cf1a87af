#include "contract/contract_backend.h"
#include "sim/sim_machine.h"

namespace contract {
namespace {
sim::Machine* machine = nullptr;
sim::Machine& Machine() {
  if (machine == nullptr) machine = new sim::Machine();
  return *machine;
}
}  // namespace

const char* BackendName() { return "simulated machine"; }
win::Api& Platform() { return Machine(); }
win::HKEY TestRoot() { return win::HKeyCurrentUser(); }
std::u16string TestKey() { return u"Software\\PellworthContract"; }

void ResetTestKey() {
  Machine().DeleteTree(TestRoot(), TestKey());
  Machine().CreateKey(TestRoot(), TestKey());
}

void CreateKey(const std::u16string& path) { Machine().CreateKey(TestRoot(), TestKey() + u"\\" + path); }

void SetValue(const std::u16string& path, const std::u16string& name, win::DWORD type,
              const std::vector<win::BYTE>& data) {
  Machine().SetValue(TestRoot(), path.empty() ? TestKey() : TestKey() + u"\\" + path, name, type,
                     data);
}

ExitingProgram ProgramExitingWith(win::DWORD code) {
  std::u16string program = Machine().SystemFile(u"cmd.exe");
  Machine().Script(program, {code, 50});
  return {program, u"/c exit"};  // the script, not the arguments, sets the code
}

}  // namespace contract

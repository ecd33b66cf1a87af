#include "contract/contract_backend.h"
#include "sim/sim_machine.h"

#include <algorithm>

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
win::Api& PlatformLackingOptionalParts() {
  static sim::Machine* lacking = [] {
    auto* m = new sim::Machine();
    m->hasIsWow64Process = false;
    m->hasIsWow64Process2 = false;
    m->systemLibrariesLoad = false;
    m->libraries.hasSetDefaultDllDirectories = false;
    m->libraries.hasSetDllDirectoryW = false;
    return m;
  }();
  return *lacking;
}
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

std::u16string RecordingProgram() {
  std::u16string program = u"C:\\Users\\Deployer\\Downloads\\recorder.exe";
  Machine().Script(program, {});
  return program;
}

std::u16string Recorded(const std::u16string& program) {
  for (auto it = Machine().starts.rbegin(); it != Machine().starts.rend(); ++it)
    if (it->file == program) return u"\"" + program + u"\" " + it->parameters;
  return u"";
}

bool Is64BitProcess() { return false; }  // the simulated machine runs a 32-bit program
bool UnderWow64() { return Machine().wow64; }

namespace {
sim::Machine& Lacking() { return static_cast<sim::Machine&>(PlatformLackingOptionalParts()); }
// `folder` below the folder of `m`'s program ("" for that folder itself).
std::u16string FolderOf(const std::u16string& folder, sim::Machine& m = Lacking()) {
  const std::u16string& module = m.modulePath;
  std::u16string path = module.substr(0, module.rfind(u'\\'));
  return folder.empty() ? path : path + u'\\' + folder;
}
}  // namespace

std::u16string PlantImportingLibrary(const std::u16string& folder) {
  Lacking().AddLibrary(FolderOf(u"") + u"\\pellworth_inner.dll", {"PellworthInner"});
  Lacking().AddLibrary(FolderOf(folder) + u"\\pellworth_inner.dll", {"PellworthInner"});
  Lacking().AddLibrary(FolderOf(folder) + u"\\pellworth_outer.dll", {"PellworthOuter"},
                       {u"pellworth_inner.dll"});
  Lacking().libraries.importsLoaded.clear();
  return FolderOf(folder) + u"\\pellworth_outer.dll";
}

bool ImportLoadedFrom(const std::u16string& folder) {
  const auto& loaded = Lacking().libraries.importsLoaded;
  return std::find(loaded.begin(), loaded.end(), FolderOf(folder) + u"\\pellworth_inner.dll") !=
         loaded.end();
}

std::u16string PlantLibrary(const std::u16string& folder, const std::u16string& name) {
  std::u16string path = FolderOf(folder, Machine()) + u'\\' + name;
  Machine().AddLibrary(path, {});
  return path;
}

}  // namespace contract

// The heap footprint of one install run and one removal run on the simulated
// machine: the number of allocations the run makes and its peak of live
// bytes, both counted by this program's own operator new.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "setup/entry.h"
#include "setup/installer_run.h"
#include "uninstall/uninstall_scanner.h"
#include "sim/sim_machine.h"

namespace {
bool counting = false;
long allocations = 0;
long liveBytes = 0;
long peakBytes = 0;
}  // namespace

void* operator new(std::size_t size) {
  // A header before each block keeps its size for the matching delete.
  auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
  if (block == nullptr) throw std::bad_alloc();
  *block = size;
  if (counting) {
    ++allocations;
    liveBytes += static_cast<long>(size);
    if (liveBytes > peakBytes) peakBytes = liveBytes;
  }
  return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}
void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(p) - sizeof(std::max_align_t));
  if (counting) liveBytes -= static_cast<long>(*block);
  std::free(block);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

namespace {

void Measure(const char* name, sim::Machine& machine) {
  win::ScopedSys use(machine);
  allocations = liveBytes = peakBytes = 0;
  counting = true;
  ResultCode result = SetupMain(0, nullptr);
  counting = false;
  std::printf("%-8s result 0x%08x  allocations %ld  peak heap %ld bytes\n", name,
              static_cast<unsigned>(result), allocations, peakBytes);
}
}  // namespace

int main() {
  {
    sim::Machine machine;
    machine.commandLine =
        u"C:\\deploy\\Setup.exe /i:C:\\deploy\\Pellworth.msi /PAT:HOST-4711 /log:C:\\logs\\p.log";
    sim::Machine* m = &machine;
    machine.Script(machine.SystemFile(u"msiexec.exe"), {0, 5000, [m] {
                     m->SetString(win::HKeyLocalMachine(), kHostIdKeyPath, kHostIdValueName,
                                  u"HOST-4711");
                   }});
    Measure("install", machine);
  }
  {
    sim::Machine machine;
    machine.commandLine = u"C:\\deploy\\Setup.exe /x";
    const std::u16string uninstall = kUninstallKeyPath + u"\\";
    for (int i = 0; i < 50; ++i) {
      std::u16string name = u"Product" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                            std::u16string(1, static_cast<char16_t>(u'a' + i / 26));
      machine.SetString(win::HKeyLocalMachine(), uninstall + name, u"DisplayName", name);
    }
    machine.SetString(win::HKeyLocalMachine(), uninstall + u"{FFFFFFFF-1111-2222-3333-444444444444}",
                      u"DisplayName", u"Pellworth");
    machine.Script(machine.SystemFile(u"MsiExec.exe"), {});
    Measure("removal", machine);
  }
  return 0;
}

// Arbitrary value types, sizes and bytes through the registry value reader on
// the simulated machine: nothing may crash or read past the data, the status
// is the platform's, and the text is never longer than the value's data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/api.h"
#include "sim/sim_machine.h"
#include "uninstall/registry_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  static sim::Machine* machine = new sim::Machine();
  win::ScopedSys use(*machine);
  const std::u16string key = u"SOFTWARE\\Fuzz";
  win::DWORD type = data[0] % 12;
  std::vector<win::BYTE> bytes(data + 1, data + size);
  machine->SetValue(win::HKeyLocalMachine(), key, u"v", type, bytes);
  std::u16string value = u"stale";
  win::LONG status = ReadRegistryString(win::HKeyLocalMachine(), key, u"v", value);
  if (bytes.size() > VALUE_BUFFER_BYTES) {
    if (status != win::ERROR_MORE_DATA || !value.empty()) std::abort();
  } else {
    if (status != win::ERROR_SUCCESS) std::abort();
    if (type != win::REG_SZ && !value.empty()) std::abort();
    if (value.size() * 2 > bytes.size()) std::abort();
  }
  if (!machine->OpenResources().empty()) std::abort();
  return 0;
}

// Host micro-benchmarks: the tokenizer, translation and the Uninstall scan,
// each reported per unit of work (per UTF-16 unit, per argument, per entry).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "dfc/arguments.h"
#include "platform/api.h"
#include "setup/translate.h"
#include "sim/sim_machine.h"
#include "uninstall/uninstall_scanner.h"

namespace {

// A command line of exactly `units` UTF-16 units, of the usual kinds of token
// in the same mix at every size (the program's name is kept short, so that it
// does not weigh on the small lines alone).
std::u16string CommandLine(size_t units) {
  static const std::u16string pieces[] = {u"/i:\"C:\\Pkg Dir\\Setup.msi\" ", u"-log:C:\\Temp\\a.log ",
                                          u"/PAT:HOST-4711 ", u"word ", u"/a : \"q r\" ", u"/x "};
  std::u16string line = u"Setup.exe ";
  for (size_t i = 0; line.size() < units; ++i) line += pieces[i % 6];
  line.resize(units);
  return line;
}

void Tokenizer(benchmark::State& state) {
  std::u16string line = CommandLine(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    DFC::DFCArguments arguments(line.c_str());
    benchmark::DoNotOptimize(arguments.switches().Count());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["ns_per_unit"] = benchmark::Counter(
      static_cast<double>(state.iterations() * state.range(0)),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(Tokenizer)->Arg(100)->Arg(1000)->Arg(3276)->Arg(10000)->Arg(32767);

void Translate(benchmark::State& state) {
  std::vector<std::u16string> arguments;
  static const std::u16string kinds[] = {u"/PAT:HOST-4711", u"/log:C:\\Temp\\a.log",
                                         u"INSTALLDIR=C:\\Program Files\\Pellworth", u"/qn",
                                         u"/i:C:\\pkg\\p.msi"};
  for (int i = 0; i < state.range(0); ++i) arguments.push_back(kinds[i % 5]);
  for (auto _ : state) {
    Translation t;
    benchmark::DoNotOptimize(TranslateArguments(arguments, t));
    benchmark::DoNotOptimize(t.installerArguments.Text().size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["ns_per_argument"] = benchmark::Counter(
      static_cast<double>(state.iterations() * state.range(0)),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(Translate)->Arg(1)->Arg(10)->Arg(100)->Arg(1000);

// The scan over `entries` Uninstall entries of other products, the match last.
void UninstallScan(benchmark::State& state) {
  sim::Machine machine;
  win::ScopedSys use(machine);
  const std::u16string root = kUninstallKeyPath + u"\\";
  int entries = static_cast<int>(state.range(0));
  for (int i = 0; i < entries - 1; ++i) {
    std::u16string name = u"{00000000-0000-0000-0000-";
    std::u16string digits = std::u16string(12, u'0');
    for (int d = 11, v = i; d >= 0; --d, v /= 10) digits[d] = static_cast<char16_t>(u'0' + v % 10);
    name += digits + u"}";
    machine.SetString(win::HKeyLocalMachine(), root + name, u"DisplayName", u"Other Product");
    machine.SetString(win::HKeyLocalMachine(), root + name, u"UninstallString",
                      u"MsiExec.exe /X" + name);
  }
  // Sorted last: "{F" comes after every "{0".
  const std::u16string product = u"{FFFFFFFF-1111-2222-3333-444444444444}";
  machine.SetString(win::HKeyLocalMachine(), root + product, u"DisplayName", u"Pellworth");
  machine.Script(machine.SystemFile(u"MsiExec.exe"), {});
  for (auto _ : state) {
    UninstallScanner scanner(true);
    if (!scanner.ScanAndRemove() || scanner.completedWithoutLaunch()) state.SkipWithError("no match");
  }
  state.SetItemsProcessed(state.iterations() * entries);
  state.counters["ns_per_entry"] = benchmark::Counter(
      static_cast<double>(state.iterations() * entries),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(UninstallScan)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// What the registry reader does beyond the platform contract: its key is
// closed on every path, and a failure passes through unchanged.
#include "uninstall/registry_reader.h"
#include "sim_test.h"

namespace {

class RegistryReader : public SimTest {
 protected:
  const std::u16string key = u"SOFTWARE\\Test";
};

TEST_F(RegistryReader, ExceptionPassesOnWithTheKeyClosed) {
  machine.SetString(win::HKeyLocalMachine(), key, u"v", u"abc");
  faults.Inject({win::Call::RegQueryValueExW, 0, 1, 0, true});
  std::u16string value = u"old";
  EXPECT_THROW(static_cast<void>(ReadRegistryString(win::HKeyLocalMachine(), key, u"v", value)),
               std::bad_alloc);
  EXPECT_EQ(value, u"");
}

TEST_F(RegistryReader, FailedQueryReturnsItsStatus) {
  machine.SetString(win::HKeyLocalMachine(), key, u"v", u"abc");
  faults.Inject({win::Call::RegQueryValueExW, 0, 1, win::ERROR_ACCESS_DENIED});
  std::u16string value = u"old";
  EXPECT_EQ(ReadRegistryString(win::HKeyLocalMachine(), key, u"v", value),
            win::ERROR_ACCESS_DENIED);
  EXPECT_EQ(value, u"");
}

TEST_F(RegistryReader, DeniedKeyReturnsFive) {
  machine.SetString(win::HKeyLocalMachine(), key, u"v", u"abc");
  machine.DenyAccess(win::HKeyLocalMachine(), key);
  std::u16string value;
  EXPECT_EQ(ReadRegistryString(win::HKeyLocalMachine(), key, u"v", value),
            win::ERROR_ACCESS_DENIED);
}

TEST_F(RegistryReader, OpensOnceQueriesOnceClosesOnce) {
  machine.SetString(win::HKeyLocalMachine(), key, u"v", std::u16string(300, u'x'));
  std::u16string value;
  EXPECT_EQ(ReadRegistryString(win::HKeyLocalMachine(), key, u"v", value), win::ERROR_MORE_DATA);
  EXPECT_EQ(faults.CallCount(win::Call::RegOpenKeyExW), 1);
  EXPECT_EQ(faults.CallCount(win::Call::RegQueryValueExW), 1);
  EXPECT_EQ(faults.CallCount(win::Call::RegCloseKey), 1);
}

}  // namespace

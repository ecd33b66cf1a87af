// What the registry reader does beyond the platform contract: its key is
// closed on every path, and a failure passes through unchanged.
#include "uninstall/registry_reader.h"
#include "platform/scoped_handle.h"
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

// The predefined keys are the platform's sign-extended values.
TEST(PredefinedKeys, SignExtendedValues) {
  auto value = [](win::HKEY key) { return reinterpret_cast<std::uintptr_t>(key); };
  EXPECT_EQ(value(win::HKeyLocalMachine()), static_cast<std::uintptr_t>(std::intptr_t{-2147483646}));
  EXPECT_EQ(value(win::HKeyCurrentUser()), static_cast<std::uintptr_t>(std::intptr_t{-2147483647}));
}

// A key holder moved onto another closes the key it held and takes the new one.
TEST_F(RegistryReader, MovedKeyHolderClosesWhatItHeld) {
  machine.CreateKey(win::HKeyLocalMachine(), key);
  win::ScopedRegKey first, second;
  ASSERT_EQ(win::Sys().RegOpenKeyExW(win::HKeyLocalMachine(), key.c_str(), 0, win::KEY_READ,
                                     first.Receive()), 0);
  ASSERT_EQ(win::Sys().RegOpenKeyExW(win::HKeyLocalMachine(), key.c_str(), 0, win::KEY_READ,
                                     second.Receive()), 0);
  win::HKEY kept = first.Get();
  second = std::move(first);
  EXPECT_EQ(second.Get(), kept);
  EXPECT_FALSE(first.IsValid());
  EXPECT_EQ(faults.CallCount(win::Call::RegCloseKey), 1);
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

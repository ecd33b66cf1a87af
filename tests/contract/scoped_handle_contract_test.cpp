// The owner of every platform handle, on both platforms: what a move hands
// over, what is released and when, and through which function.
#include <gtest/gtest.h>

#include <vector>

#include "platform/scoped_handle.h"

namespace {

// The owner of every handle: a move hands the handle over and releases the
// one it replaces, exactly once; a move onto itself keeps what it holds.
std::vector<int> released;
struct CountingTraits {
  using Handle = int;
  static Handle Empty() { return 0; }
  static void Close(Handle handle) { released.push_back(handle); }
};
using Owner = win::ScopedHandle<CountingTraits>;

TEST(ScopedHandleContract, MovesHandOverAndReleaseOnce) {
  released.clear();
  {
    Owner a(1), b(2);
    a = std::move(b);
    EXPECT_EQ(released, std::vector<int>{1});
    EXPECT_EQ(a.Get(), 2);
    EXPECT_FALSE(b.IsValid());
    Owner& same = a;
    a = std::move(same);
    EXPECT_EQ(a.Get(), 2);
    EXPECT_EQ(released, std::vector<int>{1});
    Owner c(std::move(a));
    EXPECT_EQ(c.Get(), 2);
    EXPECT_FALSE(a.IsValid());
    *c.Receive() = 3;  // an out-parameter: what was held is released first
    EXPECT_EQ(released, (std::vector<int>{1, 2}));
  }
  EXPECT_EQ(released, (std::vector<int>{1, 2, 3}));
}

// A policy that holds its release function (an installer handle, closed
// through the library it came from): the owner releases through the function
// it was given, and a move carries that function with the handle.
std::vector<unsigned long> closedByFirst, closedBySecond;
win::UINT
#if defined(_WIN32)
    __stdcall
#endif
    CloseByFirst(unsigned long handle) {
  closedByFirst.push_back(handle);
  return 0;
}
win::UINT
#if defined(_WIN32)
    __stdcall
#endif
    CloseBySecond(unsigned long handle) {
  closedBySecond.push_back(handle);
  return 0;
}

TEST(ScopedHandleContract, APolicyWithStateMovesWithTheHandle) {
  {
    win::ScopedInstallerHandle first(win::InstallerHandleTraits{&CloseByFirst});
    win::ScopedInstallerHandle second(win::InstallerHandleTraits{&CloseBySecond}, 7);
    win::ScopedInstallerHandle none(win::InstallerHandleTraits{&CloseByFirst}, 0);  // no handle
    EXPECT_FALSE(first.IsValid());
    *first.Receive() = 5;
    first = std::move(second);  // 5 goes through its own function; 7 keeps the second's
    EXPECT_EQ(closedByFirst, std::vector<unsigned long>{5});
    win::ScopedInstallerHandle third(std::move(first));
  }
  EXPECT_EQ(closedByFirst, std::vector<unsigned long>{5});
  EXPECT_EQ(closedBySecond, std::vector<unsigned long>{7});
}

}  // namespace

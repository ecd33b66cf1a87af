// The registry as the product reads it: the value reader and the calls the
// scanner makes, with the platform's statuses.
#include <gtest/gtest.h>

#include "contract/contract_backend.h"
#include "platform/scoped_handle.h"
#include "uninstall/registry_reader.h"

namespace {

using Bytes = std::vector<win::BYTE>;

Bytes Utf16(const std::u16string& text, int terminators = 1) {
  Bytes bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<win::BYTE>(c & 0xFF));
    bytes.push_back(static_cast<win::BYTE>(c >> 8));
  }
  for (int i = 0; i < 2 * terminators; ++i) bytes.push_back(0);
  return bytes;
}

class RegistryContract : public testing::Test {
 protected:
  void SetUp() override { contract::ResetTestKey(); }
  win::LONG Read(const std::u16string& name, std::u16string& value,
                 const std::u16string& sub = u"") {
    std::u16string path = contract::TestKey() + (sub.empty() ? u"" : u"\\" + sub);
    return ReadRegistryString(contract::TestRoot(), path, name, value);
  }
  win::ScopedSys sys{contract::Platform()};
};

TEST_F(RegistryContract, ReaderCases) {
  struct Row {
    const char* name;
    win::DWORD type;
    Bytes data;
    win::LONG status;
    std::u16string text;
  };
  Bytes unterminated = Utf16(u"ab", 0);
  Bytes oddTail = Utf16(u"ab", 0);
  oddTail.push_back('c');
  Bytes overfull = Utf16(std::u16string(256, u'y'), 0);  // 513 bytes
  overfull.push_back('z');
  const Row rows[] = {
      {"abc", win::REG_SZ, Utf16(u"abc"), 0, u"abc"},
      {"empty string", win::REG_SZ, Utf16(u""), 0, u""},
      {"zero bytes", win::REG_SZ, {}, 0, u""},
      {"one byte", win::REG_SZ, {'a'}, 0, u""},
      // A value stored without its terminator keeps every character.
      {"unterminated", win::REG_SZ, unterminated, 0, u"ab"},
      {"odd trailing byte", win::REG_SZ, oddTail, 0, u"ab"},
      // Only a whole NUL unit is a terminator, not a last character's zero low byte.
      {"unterminated, last character U+0100", win::REG_SZ, Utf16(u"a\u0100", 0), 0, u"a\u0100"},
      {"unterminated, last character U+4100", win::REG_SZ, Utf16(u"a\u4100", 0), 0, u"a\u4100"},
      {"second NUL stays", win::REG_SZ, Utf16(u"ab", 2), 0, std::u16string(u"ab\0", 3)},
      {"NUL inside stays", win::REG_SZ, Utf16(std::u16string(u"a\0b", 3)), 0,
       std::u16string(u"a\0b", 3)},
      {"255 characters fill the buffer", win::REG_SZ, Utf16(std::u16string(255, u'x')), 0,
       std::u16string(255, u'x')},
      {"256 characters do not fit", win::REG_SZ, Utf16(std::u16string(256, u'x')),
       win::ERROR_MORE_DATA, u""},
      {"256 unterminated fill the buffer", win::REG_SZ, Utf16(std::u16string(256, u'y'), 0), 0,
       std::u16string(256, u'y')},
      {"one byte more does not fit", win::REG_SZ, overfull, win::ERROR_MORE_DATA, u""},
      {"DWORD has no text", win::REG_DWORD, {1, 0, 0, 0}, 0, u""},
      {"expandable string has no text", win::REG_EXPAND_SZ, Utf16(u"%TEMP%"), 0, u""},
      {"multi-string has no text", win::REG_MULTI_SZ, Utf16(u"a", 2), 0, u""},
      {"binary has no text", win::REG_BINARY, {1, 2, 3}, 0, u""},
      {"non-ASCII text", win::REG_SZ, Utf16(u"P\u00e9llw\u00f6rth \u6c49"), 0,
       u"P\u00e9llw\u00f6rth \u6c49"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    contract::SetValue(u"", u"v", row.type, row.data);
    std::u16string value = u"left over";
    EXPECT_EQ(Read(u"v", value), row.status);
    EXPECT_EQ(value, row.text);
  }
}

TEST_F(RegistryContract, MissingKeyAndValue) {
  std::u16string value = u"left over";
  EXPECT_EQ(Read(u"v", value, u"NoSuchKey"), win::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(value, u"");
  value = u"left over";
  EXPECT_EQ(Read(u"NoSuchValue", value), win::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(value, u"");
}

TEST_F(RegistryContract, NoTextKeptFromAnEarlierCall) {
  contract::SetValue(u"", u"a", win::REG_SZ, Utf16(u"first"));
  contract::SetValue(u"", u"d", win::REG_DWORD, {1, 0, 0, 0});
  std::u16string value;
  ASSERT_EQ(Read(u"a", value), 0);
  ASSERT_EQ(value, u"first");
  EXPECT_EQ(Read(u"d", value), 0);
  EXPECT_EQ(value, u"");
  ASSERT_EQ(Read(u"a", value), 0);
  EXPECT_NE(Read(u"missing", value), 0);
  EXPECT_EQ(value, u"");
}

TEST_F(RegistryContract, ValueNamesIgnoreLetterCase) {
  contract::SetValue(u"", u"DisplayName", win::REG_SZ, Utf16(u"x"));
  std::u16string value;
  EXPECT_EQ(Read(u"DISPLAYNAME", value), 0);
  EXPECT_EQ(value, u"x");
}

TEST_F(RegistryContract, OpenBelowAnInvalidKeyIsABadHandle) {
  win::HKEY key = reinterpret_cast<win::HKEY>(static_cast<win::ULONG_PTR>(0x5678));
  win::HKEY out = reinterpret_cast<win::HKEY>(static_cast<win::ULONG_PTR>(1));
  EXPECT_EQ(win::Sys().RegOpenKeyExW(key, u"x", 0, win::KEY_READ, &out), win::ERROR_INVALID_HANDLE);
  EXPECT_EQ(out, nullptr);
}

// The platform opens a key whatever option bits it is given (Wine ignores
// them), so the simulation refuses none either: it records them, and the
// product's tests check that it passes none.
TEST_F(RegistryContract, OpenIgnoresOptionBits) {
  for (win::DWORD options : {0u, 1u, 2u, 4u, 8u, 0x10u, 0x80000000u}) {
    SCOPED_TRACE(options);
    win::HKEY key = nullptr;
    EXPECT_EQ(win::Sys().RegOpenKeyExW(contract::TestRoot(), contract::TestKey().c_str(), options,
                                       win::KEY_READ, &key),
              win::ERROR_SUCCESS);
    EXPECT_NE(key, nullptr);
    if (key != nullptr) {
      EXPECT_EQ(win::Sys().RegCloseKey(key), win::ERROR_SUCCESS);
    }
  }
}

TEST_F(RegistryContract, OversizedValueReportsTheSizeNeeded) {
  contract::SetValue(u"", u"v", win::REG_SZ, Utf16(std::u16string(300, u'z')));
  win::ScopedRegKey owner;  // closed however the case ends
  ASSERT_EQ(win::Sys().RegOpenKeyExW(contract::TestRoot(), contract::TestKey().c_str(), 0,
                                     win::KEY_READ, owner.Receive()),
            0);
  win::HKEY key = owner.Get();
  win::BYTE buffer[512];
  win::DWORD size = sizeof buffer, type = 0;
  EXPECT_EQ(win::Sys().RegQueryValueExW(key, u"v", nullptr, &type, buffer, &size),
            win::ERROR_MORE_DATA);
  EXPECT_EQ(size, 602u);
  EXPECT_EQ(type, win::REG_SZ);
}

// Subkeys come back ordered by name without regard to letter case, whatever
// the order they were made in; past the last one comes 259.
TEST_F(RegistryContract, EnumerationOrderAndCount) {
  for (const char16_t* name : {u"b", u"C", u"{Z}", u"a", u"B1", u"0"}) contract::CreateKey(name);
  win::ScopedRegKey owner;  // closed however the case ends
  ASSERT_EQ(win::Sys().RegOpenKeyExW(contract::TestRoot(), contract::TestKey().c_str(), 0,
                                     win::KEY_READ, owner.Receive()),
            0);
  win::HKEY key = owner.Get();
  win::DWORD count = 0;
  ASSERT_EQ(win::Sys().RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(count, 6u);
  std::vector<std::u16string> names;
  for (win::DWORD i = 0;; ++i) {
    std::u16string name(256, u'\0');
    win::DWORD length = 256;
    win::LONG status =
        win::Sys().RegEnumKeyExW(key, i, &name[0], &length, nullptr, nullptr, nullptr, nullptr);
    if (status != 0) {
      EXPECT_EQ(status, win::ERROR_NO_MORE_ITEMS);
      break;
    }
    names.push_back(name.substr(0, length));
  }
  EXPECT_EQ(names, (std::vector<std::u16string>{u"0", u"a", u"b", u"B1", u"C", u"{Z}"}));
  // A name buffer too small for the name and its terminator.
  std::u16string small(1, u'\0');
  win::DWORD length = 1;
  EXPECT_EQ(win::Sys().RegEnumKeyExW(key, 3, &small[0], &length, nullptr, nullptr, nullptr, nullptr),
            win::ERROR_MORE_DATA);
}

TEST_F(RegistryContract, DeleteIsNotRecursive) {
  contract::CreateKey(u"parent\\child");
  contract::CreateKey(u"leaf");
  win::ScopedRegKey owner;  // closed however the case ends
  ASSERT_EQ(win::Sys().RegOpenKeyExW(contract::TestRoot(), contract::TestKey().c_str(), 0,
                                     win::KEY_READ, owner.Receive()),
            0);
  win::HKEY key = owner.Get();
  EXPECT_NE(win::Sys().RegDeleteKeyW(key, u"parent"), 0);
  EXPECT_EQ(win::Sys().RegDeleteKeyW(key, u"leaf"), 0);
  EXPECT_EQ(win::Sys().RegDeleteKeyW(key, u"leaf"), win::ERROR_FILE_NOT_FOUND);
  std::u16string value;
  EXPECT_EQ(Read(u"x", value, u"parent\\child"), win::ERROR_FILE_NOT_FOUND);  // key, no value
}

}  // namespace

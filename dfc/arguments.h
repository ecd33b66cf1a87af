// DFCArguments: the command line split into switches and bare words by the
// environment's own grammar (not the platform's argument-vector rules).
//
//   A switch starts with "-" or "/"; its name ends at ":", "-", "/", a space
//   or a tab; a value follows a colon (blanks may stand around the colon) and
//   ends at "-", "/", a space or a tab. Double quotes group a value or a bare
//   word and are removed; the first quote after the opening one closes it, and
//   a quoted span needs at least three units after its opening quote, counted
//   to the end of the line. There is no escape character and no case folding.
//
// Reading stops when the place it would go on from is the last unit of the
// line. A word resumes one unit past the blank that ends it, so a one-unit
// token after a word and one blank (|Setup.exe a|) is not read, while after
// two blanks it is (|Setup.exe  a|). A switch whose colon is followed only by
// blanks is dropped. After "/a:/b" the
// next switch is b.
//
// Who reads it: the environment snapshot builds it (DFCEnvironment), and
// tools/snapshot.cpp prints it. Setup.exe decides nothing by it: its switches
// are read from the platform's split (CommandLineToArgvW) in setup/translate.h.
#pragma once

#include <memory>
#include <vector>

#include "platform/win_types.h"

namespace DFC {

struct ArgumentEntry {
  win::WString name;
  win::WString value;  // empty for a bare word
};

// An ordered list that owns its entries.
class EntryList {
 public:
  EntryList() = default;
  ~EntryList();
  EntryList(const EntryList&) = delete;
  EntryList& operator=(const EntryList&) = delete;

  void Append(std::unique_ptr<ArgumentEntry> entry);
  // Deletes every entry, the first first, and empties the list.
  void Clear();
  size_t Count() const { return entries_.size(); }
  const ArgumentEntry& At(size_t index) const { return *entries_.at(index); }

 private:
  std::vector<std::unique_ptr<ArgumentEntry>> entries_;
};

class DFCArguments {
 public:
  explicit DFCArguments(const win::WCHAR* commandLine);
  virtual ~DFCArguments();
  DFCArguments(const DFCArguments&) = delete;
  DFCArguments& operator=(const DFCArguments&) = delete;

  const EntryList& switches() const { return switches_; }
  const EntryList& words() const { return words_; }
  const win::WString& commandLine() const { return commandLine_; }

 private:
  // Fills both lists; on any exception clears them and throws it on.
  void Tokenize(const win::WString& text);

  EntryList switches_;
  EntryList words_;
  win::WString commandLine_;
};

}  // namespace DFC

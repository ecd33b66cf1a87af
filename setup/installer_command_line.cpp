#include "setup/installer_command_line.h"

namespace {

using win::WString;

bool HasBlank(const WString& text) { return text.find_first_of(u" \t") != WString::npos; }
WString Quoted(const WString& text) { return u'"' + text + u'"'; }
// A property's value; an empty one is written "", or msiexec would take the
// next piece for it.
WString ValueText(const WString& value) {
  return value.empty() || HasBlank(value) ? Quoted(value) : value;
}

}  // namespace

// The first refusal stays: it is the one the command line meets first.
void InstallerCommandLine::Refuse(Rule rule) {
  if (Writable()) unwritable_ = {rule, position_, argument_};
}

void InstallerCommandLine::Check(const WString& argument) {
  if (argument.find(u'"') != WString::npos) Refuse(Rule::QuotationMark);
}

void InstallerCommandLine::Write(const WString& argument, bool own) {
  Check(argument);
  arguments_.push_back({argument, own, position_});
}

void InstallerCommandLine::AddPath(const WString& option, const WString& path) {
  if (path.empty()) Refuse(Rule::EmptyPath);
  Write(option, true);
  Write(path, true);
  text_ += u' ' + option + u' ' + Quoted(path);
}

void InstallerCommandLine::AddProperty(const WString& name, const WString& value) {
  Write(name + u'=' + value, true);
  text_ += u' ' + name + u'=' + ValueText(value);
}

void InstallerCommandLine::AddPassedThrough(const WString& argument) {
  Write(argument, false);
  if (argument.empty()) return;
  auto equals = argument.find(u'=');
  bool property = equals != WString::npos && equals > 0 && equals < argument.find_first_of(u" \t");
  if (property) {
    text_ += u' ' + argument.substr(0, equals + 1) + ValueText(argument.substr(equals + 1));
  } else {
    text_ += u' ' + (HasBlank(argument) ? Quoted(argument) : argument);
  }
}

void InstallerCommandLine::AddFixed(const WString& piece) { text_ += piece; }

void InstallerCommandLine::Append(const InstallerCommandLine& other) {
  text_ += other.text_;
  // Of two refusals, the one whose argument comes first on the command line.
  const Refusal& theirs = other.unwritable_;
  if (theirs.rule != Rule::None && (Writable() || theirs.position < unwritable_.position))
    unwritable_ = theirs;
  arguments_.insert(arguments_.end(), other.arguments_.begin(), other.arguments_.end());
}

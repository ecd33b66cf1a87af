#include "check/msi_package.h"

#include "platform/api.h"
#include "platform/scoped_handle.h"
#include "platform/system_directory.h"

#include <set>

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

namespace check {
namespace {

using win::WString;

constexpr UINT PID_TEMPLATE_PROPERTY = 7;  // the summary's Template: "platform;languages"

// The entries of msi.dll the check uses, from the library ReadPackage loaded;
// every part of the reader is handed them.
struct Msi {
  decltype(&::MsiOpenDatabaseW) openDatabase = nullptr;
  decltype(&::MsiGetSummaryInformationW) getSummaryInformation = nullptr;
  decltype(&::MsiSummaryInfoGetPropertyW) summaryInfoGetProperty = nullptr;
  decltype(&::MsiDatabaseOpenViewW) openView = nullptr;
  decltype(&::MsiViewExecute) viewExecute = nullptr;
  decltype(&::MsiViewFetch) viewFetch = nullptr;
  decltype(&::MsiRecordGetStringW) recordGetString = nullptr;
  decltype(&::MsiRecordGetInteger) recordGetInteger = nullptr;
  decltype(&::MsiCloseHandle) closeHandle = nullptr;

  // Whether `library` has every entry.
  bool Load(win::HMODULE library) {
    return Entry(library, "MsiOpenDatabaseW", openDatabase) &&
           Entry(library, "MsiGetSummaryInformationW", getSummaryInformation) &&
           Entry(library, "MsiSummaryInfoGetPropertyW", summaryInfoGetProperty) &&
           Entry(library, "MsiDatabaseOpenViewW", openView) &&
           Entry(library, "MsiViewExecute", viewExecute) &&
           Entry(library, "MsiViewFetch", viewFetch) &&
           Entry(library, "MsiRecordGetStringW", recordGetString) &&
           Entry(library, "MsiRecordGetInteger", recordGetInteger) &&
           Entry(library, "MsiCloseHandle", closeHandle);
  }

 private:
  template <typename Fn>
  static bool Entry(win::HMODULE library, const char* name, Fn& entry) {
    entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(win::Sys().GetProcAddress(library, name)));
    return entry != nullptr;
  }
};

// An installer handle closed through the library it came from.
win::ScopedInstallerHandle InstallerHandle(const Msi& msi) {
  return win::ScopedInstallerHandle(win::InstallerHandleTraits{msi.closeHandle});
}

const wchar_t* W(const WString& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// A text the installer writes into a buffer: asked once with none, and again
// with the size it reports. `ask(buffer, &units)` is the installer's call.
template <typename Ask>
UINT AskText(Ask ask, WString& text) {
  DWORD units = 0;
  wchar_t empty[1] = {0};
  UINT status = ask(empty, &units);
  if (status == ERROR_SUCCESS) {
    text.clear();
    return status;
  }
  if (status != ERROR_MORE_DATA) return status;
  std::u16string buffer(units + 1, u'\0');
  units = static_cast<DWORD>(buffer.size());
  status = ask(reinterpret_cast<wchar_t*>(&buffer[0]), &units);
  if (status == ERROR_SUCCESS) text.assign(buffer.data(), units);
  return status;
}

// One fetched row: its fields by number (from 1), the first failure kept.
class Record {
 public:
  Record(const Msi& msi, MSIHANDLE record) : msi_(msi), record_(record) {}
  WString Text(UINT field) {
    WString text;
    UINT got = AskText([&](wchar_t* buffer, DWORD* units) {
      return msi_.recordGetString(record_, field, buffer, units);
    }, text);
    if (status_ == ERROR_SUCCESS) status_ = got;
    return text;
  }
  win::LONG Number(UINT field) {
    int value = msi_.recordGetInteger(record_, field);
    return value == static_cast<int>(MSI_NULL_INTEGER) ? kNullInteger : static_cast<win::LONG>(value);
  }
  UINT status() const { return status_; }

 private:
  const Msi& msi_;
  MSIHANDLE record_;
  UINT status_ = ERROR_SUCCESS;
};

class Reader {
 public:
  Reader(const Msi& msi, MSIHANDLE database, WString& failure)
      : msi_(msi), database_(database), failure_(failure) {}

  // Hands each row of `query` to `row`; a step's status on failure.
  template <typename Row>
  UINT Rows(const WString& query, Row row) {
    win::ScopedInstallerHandle view = InstallerHandle(msi_);
    UINT status = msi_.openView(database_, W(query), view.Receive());
    if (status == ERROR_SUCCESS) status = msi_.viewExecute(view.Get(), 0);
    while (status == ERROR_SUCCESS) {
      win::ScopedInstallerHandle fetched = InstallerHandle(msi_);
      status = msi_.viewFetch(view.Get(), fetched.Receive());
      if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
      if (status != ERROR_SUCCESS) break;
      Record record(msi_, fetched.Get());
      row(record);
      status = record.status();
    }
    failure_ = u"cannot read the package's query " + query;
    return status;
  }

  // The same for the columns of a table the package has; one it lacks has no rows.
  template <typename Row>
  UINT Table(const WString& name, const WString& columns, Row row) {
    if (tables_.count(name) == 0) return ERROR_SUCCESS;
    return Rows(u"SELECT " + columns + u" FROM `" + name + u"`", row);
  }

  UINT ReadTableNames() {
    return Rows(u"SELECT `Name` FROM `_Tables`", [&](Record& r) { tables_.insert(r.Text(1)); });
  }

 private:
  const Msi& msi_;
  MSIHANDLE database_;
  WString& failure_;
  std::set<WString> tables_;
};

UINT ReadTemplate(const Msi& msi, MSIHANDLE database, WString& text) {
  win::ScopedInstallerHandle summary = InstallerHandle(msi);
  UINT status = msi.getSummaryInformation(database, nullptr, 0, summary.Receive());
  if (status != ERROR_SUCCESS) return status;
  return AskText([&](wchar_t* buffer, DWORD* units) {
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    return msi.summaryInfoGetProperty(summary.Get(), PID_TEMPLATE_PROPERTY, &type, &number, &time,
                                      buffer, units);
  }, text);
}

UINT ReadTables(const Msi& msi, MSIHANDLE database, PackageFacts& facts, WString& failure) {
  Reader reader(msi, database, failure);
  UINT status = reader.ReadTableNames();
  if (status == ERROR_SUCCESS)
    status = reader.Table(u"Property", u"`Property`, `Value`",
                          [&](Record& r) { facts.properties[r.Text(1)] = r.Text(2); });
  if (status == ERROR_SUCCESS)
    status = reader.Table(u"Registry", u"`Registry`, `Root`, `Key`, `Name`, `Value`, `Component_`",
                          [&](Record& r) {
                            facts.registry.push_back(
                                {r.Text(1), r.Number(2), r.Text(3), r.Text(4), r.Text(5), r.Text(6)});
                          });
  if (status == ERROR_SUCCESS)
    status = reader.Table(u"Component", u"`Component`, `Attributes`, `Condition`", [&](Record& r) {
      facts.components.push_back({r.Text(1), r.Number(2), r.Text(3)});
    });
  if (status == ERROR_SUCCESS)
    status = reader.Table(u"CustomAction", u"`Action`, `Type`, `Source`, `Target`", [&](Record& r) {
      facts.customActions.push_back({r.Text(1), r.Number(2), r.Text(3), r.Text(4)});
    });
  if (status == ERROR_SUCCESS)
    status = reader.Table(u"InstallExecuteSequence", u"`Action`, `Condition`, `Sequence`",
                          [&](Record& r) {
                            facts.executeSequence.push_back({r.Text(1), r.Text(2), r.Number(3)});
                          });
  return status;
}

}  // namespace

win::DWORD ReadPackage(const WString& path, PackageFacts& facts, WString& failure) {
  win::ScopedLibrary library(win::LoadSystemLibrary(u"msi.dll"));
  if (!library.IsValid()) {
    failure = u"cannot load msi.dll from the system folder";
    return ERROR_MOD_NOT_FOUND;
  }
  Msi msi;
  if (!msi.Load(library.Get())) {
    failure = u"msi.dll lacks an entry the check uses";
    return ERROR_PROC_NOT_FOUND;
  }

  // The installer answers a missing file with a status of its own (1627 under
  // Wine), so the file is looked for first, to name what is wrong (directly:
  // see msi_package.h).
  if (::GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES) {
    DWORD error = ::GetLastError();
    failure = u"cannot find the file";
    return error != ERROR_SUCCESS ? error : ERROR_FILE_NOT_FOUND;
  }

  UINT status;
  {
    win::ScopedInstallerHandle database = InstallerHandle(msi);
    status = msi.openDatabase(W(path), MSIDBOPEN_READONLY, database.Receive());
    if (status != ERROR_SUCCESS) {
      failure = u"cannot open the file as a Windows Installer package";
    } else {
      status = ReadTemplate(msi, database.Get(), facts.platformTemplate);
      if (status != ERROR_SUCCESS) failure = u"cannot read the package's summary information";
      else status = ReadTables(msi, database.Get(), facts, failure);
    }
  }  // every installer handle is closed before the library goes
  return status;
}

}  // namespace check

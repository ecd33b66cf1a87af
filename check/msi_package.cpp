#include "check/msi_package.h"

#include "platform/api.h"
#include "platform/scoped_handle.h"

#include <set>

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

namespace check {
namespace {

using win::WString;

constexpr UINT PID_TEMPLATE_PROPERTY = 7;  // the summary's Template: "platform;languages"

// The entries of msi.dll the check uses, loaded from the system folder.
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
};
Msi msi;

struct MsiHandleTraits {
  using Handle = MSIHANDLE;
  static Handle Empty() { return 0; }
  static void Close(Handle handle) { msi.closeHandle(handle); }
};
using ScopedMsiHandle = win::ScopedHandle<MsiHandleTraits>;

template <typename Fn>
bool Load(win::HMODULE library, const char* name, Fn& entry) {
  entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(win::Sys().GetProcAddress(library, name)));
  return entry != nullptr;
}

const wchar_t* W(const WString& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// A string field, asked again with the size the installer reports.
UINT FieldText(MSIHANDLE record, UINT field, WString& text) {
  DWORD units = 0;
  wchar_t empty[1] = {0};
  UINT status = msi.recordGetString(record, field, empty, &units);
  if (status == ERROR_SUCCESS) {
    text.clear();
    return status;
  }
  if (status != ERROR_MORE_DATA) return status;
  std::u16string buffer(units + 1, u'\0');
  units = static_cast<DWORD>(buffer.size());
  status = msi.recordGetString(record, field, reinterpret_cast<wchar_t*>(&buffer[0]), &units);
  if (status == ERROR_SUCCESS) text.assign(buffer.data(), units);
  return status;
}

win::LONG FieldNumber(MSIHANDLE record, UINT field) {
  int value = msi.recordGetInteger(record, field);
  return value == static_cast<int>(MSI_NULL_INTEGER) ? kNullInteger : static_cast<win::LONG>(value);
}

class Reader {
 public:
  Reader(MSIHANDLE database, WString& failure) : database_(database), failure_(failure) {}

  // Each row of `query`, its record handed to `row`; a step's status on failure.
  template <typename Row>
  UINT Rows(const WString& query, Row row) {
    ScopedMsiHandle view;
    UINT status = msi.openView(database_, W(query), view.Receive());
    if (status == ERROR_SUCCESS) status = msi.viewExecute(view.Get(), 0);
    while (status == ERROR_SUCCESS) {
      ScopedMsiHandle record;
      status = msi.viewFetch(view.Get(), record.Receive());
      if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
      if (status == ERROR_SUCCESS) status = row(record.Get());
    }
    failure_ = u"cannot read the package's query " + query;
    return status;
  }

  // A table the package has; one it lacks reads as no rows.
  template <typename Row>
  UINT Table(const std::set<WString>& tables, const WString& name, const WString& columns,
             Row row) {
    if (tables.count(name) == 0) return ERROR_SUCCESS;
    return Rows(u"SELECT " + columns + u" FROM `" + name + u"`", row);
  }

 private:
  MSIHANDLE database_;
  WString& failure_;
};

UINT ReadTemplate(MSIHANDLE database, WString& text) {
  ScopedMsiHandle summary;
  UINT status = msi.getSummaryInformation(database, nullptr, 0, summary.Receive());
  if (status != ERROR_SUCCESS) return status;
  UINT type = 0;
  INT number = 0;
  FILETIME time{};
  DWORD units = 0;
  wchar_t empty[1] = {0};
  status = msi.summaryInfoGetProperty(summary.Get(), PID_TEMPLATE_PROPERTY, &type, &number, &time,
                                      empty, &units);
  if (status == ERROR_SUCCESS) {
    text.clear();
    return status;
  }
  if (status != ERROR_MORE_DATA) return status;
  std::u16string buffer(units + 1, u'\0');
  units = static_cast<DWORD>(buffer.size());
  status = msi.summaryInfoGetProperty(summary.Get(), PID_TEMPLATE_PROPERTY, &type, &number, &time,
                                      reinterpret_cast<wchar_t*>(&buffer[0]), &units);
  if (status == ERROR_SUCCESS) text.assign(buffer.data(), units);
  return status;
}

UINT ReadTables(MSIHANDLE database, PackageFacts& facts, WString& failure) {
  Reader reader(database, failure);
  std::set<WString> tables;
  UINT status = reader.Rows(u"SELECT `Name` FROM `_Tables`", [&](MSIHANDLE record) {
    WString name;
    UINT got = FieldText(record, 1, name);
    tables.insert(name);
    return got;
  });
  if (status != ERROR_SUCCESS) return status;

  status = reader.Table(tables, u"Property", u"`Property`, `Value`", [&](MSIHANDLE record) {
    WString name, value;
    UINT got = FieldText(record, 1, name);
    if (got == ERROR_SUCCESS) got = FieldText(record, 2, value);
    facts.properties[name] = value;
    return got;
  });
  if (status != ERROR_SUCCESS) return status;

  status = reader.Table(tables, u"Registry",
                        u"`Registry`, `Root`, `Key`, `Name`, `Value`, `Component_`",
                        [&](MSIHANDLE record) {
    RegistryRow row;
    row.root = FieldNumber(record, 2);
    UINT got = FieldText(record, 1, row.id);
    if (got == ERROR_SUCCESS) got = FieldText(record, 3, row.key);
    if (got == ERROR_SUCCESS) got = FieldText(record, 4, row.name);
    if (got == ERROR_SUCCESS) got = FieldText(record, 5, row.value);
    if (got == ERROR_SUCCESS) got = FieldText(record, 6, row.component);
    facts.registry.push_back(row);
    return got;
  });
  if (status != ERROR_SUCCESS) return status;

  status = reader.Table(tables, u"Component", u"`Component`, `Attributes`, `Condition`",
                        [&](MSIHANDLE record) {
    ComponentRow row;
    row.attributes = FieldNumber(record, 2);
    UINT got = FieldText(record, 1, row.id);
    if (got == ERROR_SUCCESS) got = FieldText(record, 3, row.condition);
    facts.components.push_back(row);
    return got;
  });
  if (status != ERROR_SUCCESS) return status;

  status = reader.Table(tables, u"CustomAction", u"`Action`, `Type`, `Source`, `Target`",
                        [&](MSIHANDLE record) {
    CustomActionRow row;
    row.type = FieldNumber(record, 2);
    UINT got = FieldText(record, 1, row.id);
    if (got == ERROR_SUCCESS) got = FieldText(record, 3, row.source);
    if (got == ERROR_SUCCESS) got = FieldText(record, 4, row.target);
    facts.customActions.push_back(row);
    return got;
  });
  if (status != ERROR_SUCCESS) return status;

  return reader.Table(tables, u"InstallExecuteSequence", u"`Action`, `Condition`, `Sequence`",
                      [&](MSIHANDLE record) {
    SequenceRow row;
    row.sequence = FieldNumber(record, 3);
    UINT got = FieldText(record, 1, row.action);
    if (got == ERROR_SUCCESS) got = FieldText(record, 2, row.condition);
    facts.executeSequence.push_back(row);
    return got;
  });
}

}  // namespace

win::DWORD ReadPackage(const WString& path, PackageFacts& facts, WString& failure) {
  WString dll = win::SystemFilePath(u"msi.dll");
  win::ScopedLibrary library(dll.empty() ? nullptr : win::Sys().LoadLibraryW(dll.c_str()));
  if (!library.IsValid()) {
    failure = u"cannot load msi.dll from the system folder";
    return ERROR_MOD_NOT_FOUND;
  }
  win::HMODULE m = library.Get();
  if (!Load(m, "MsiOpenDatabaseW", msi.openDatabase) ||
      !Load(m, "MsiGetSummaryInformationW", msi.getSummaryInformation) ||
      !Load(m, "MsiSummaryInfoGetPropertyW", msi.summaryInfoGetProperty) ||
      !Load(m, "MsiDatabaseOpenViewW", msi.openView) || !Load(m, "MsiViewExecute", msi.viewExecute) ||
      !Load(m, "MsiViewFetch", msi.viewFetch) ||
      !Load(m, "MsiRecordGetStringW", msi.recordGetString) ||
      !Load(m, "MsiRecordGetInteger", msi.recordGetInteger) ||
      !Load(m, "MsiCloseHandle", msi.closeHandle)) {
    failure = u"msi.dll lacks an entry the check uses";
    return ERROR_PROC_NOT_FOUND;
  }

  // The installer answers a missing file with a status of its own (1627 under
  // Wine), so the file is looked for first, to name what is wrong.
  if (::GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES) {
    DWORD error = ::GetLastError();
    failure = u"cannot find the file";
    return error != ERROR_SUCCESS ? error : ERROR_FILE_NOT_FOUND;
  }

  UINT status;
  {
    ScopedMsiHandle database;
    status = msi.openDatabase(W(path), MSIDBOPEN_READONLY, database.Receive());
    if (status != ERROR_SUCCESS) {
      failure = u"cannot open the file as a Windows Installer package";
    } else {
      status = ReadTemplate(database.Get(), facts.platformTemplate);
      if (status != ERROR_SUCCESS) failure = u"cannot read the package's summary information";
      else status = ReadTables(database.Get(), facts, failure);
    }
  }  // every installer handle is closed before the library goes
  return status;
}

}  // namespace check

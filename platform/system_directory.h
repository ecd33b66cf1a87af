// The system folder, and the library search policy built on it: the product
// loads nothing from its own folder or the current one, and starts the
// programs it runs by their full path in the system folder.
#pragma once

#include "platform/api.h"

namespace win {

// The folder that GetSystemDirectoryW names, without a trailing separator, or
// empty when the platform does not deliver it. The one builder of system
// folder paths: the product asks through Sys(), the real layer's library
// loader through itself.
WString SystemDirectory(Api& api = Sys());
// `file` in the system folder, or empty when that folder is unknown.
WString SystemFilePath(const WString& file, Api& api = Sys());
// Takes the program's own folder and the current folder out of the library
// search, so that a library planted beside the program (in a downloads folder,
// say) is never loaded by the system libraries it calls. Where the system
// cannot search the system folder alone, at least the current folder goes.
void RestrictLibrarySearch(Api& api = Sys());

// The flags that load a library by its full path with its own imports found in
// the system folder: none where the search is restricted to it
// (SetDefaultDllDirectories, asked again here: after RestrictLibrarySearch it
// changes nothing, and its answer says whether the restriction holds), else
// LOAD_WITH_ALTERED_SEARCH_PATH (XP, Vista and 7 without the update), which
// starts the search for a library's imports in that library's own folder. The
// two are never combined: the documentation has them exclude each other. Ask
// it after RestrictLibrarySearch only: it restricts the search as it answers
// (the real layer, which may load a library before that, looks the entry up).
DWORD FullPathLoadFlags(Api& api = Sys());
// The library at `path` (a full path) loaded with those flags, or null.
HMODULE LoadLibraryByFullPath(const WString& path, Api& api = Sys());
// The system library `name` (msi.dll, say) from the system folder, its imports
// from there too; null when it or the folder cannot be had.
HMODULE LoadSystemLibrary(const WString& name, Api& api = Sys());

}  // namespace win

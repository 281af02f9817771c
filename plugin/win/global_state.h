// The plugin's global state: one of each per loaded library, zero or null
// at load. FsInit writes the plugin number, the progress procedure and the
// language once, before any reader runs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "plugin/core/listing_cache.h"
#include "plugin/win/plugin_interface.h"
#include "rtl/critical_section.h"

// The listing cache: created at process attach, destroyed with every
// snapshot at process detach. The pointer changes only while no entry point
// can run; the list's contents are guarded by its own lock.
extern std::unique_ptr<TSearchDataList> SearchDataList;
extern int iPluginNr;
extern tProgressProc pProgressProc;
// Guards dwOmbrixReqCount and the numbers of the requests in flight.
extern TCriticalSection csOmbrixRequest;
// Requests to the tag server under way at this moment.
extern uint32_t dwOmbrixReqCount;
// Interface language: the column of the message table (0 Russian, 1 English).
extern int32_t LangID;
// The host's main window, found at load; null when there is none.
extern HWND hHostWindow;

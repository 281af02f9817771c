// The plugin's global state: one of each per loaded library, zero or null
// at load. FsInit writes the plugin number, the progress procedure and the
// language once, before any reader runs.
#pragma once

#include <windows.h>

#include <cstdint>

#include "plugin/win/plugin_interface.h"
#include "rtl/critical_section.h"

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

// The progress routine of the system's copy while a document is copied out:
// it passes the per-cent done on to the host's progress procedure, whose
// dialog has a cancel button, and turns the host's request to abort into a
// cancelled copy.
#pragma once

#include <windows.h>

#include "plugin/win/plugin_interface.h"

// What the routine needs to call the host: its procedure and plugin number,
// and the two texts exactly as FsGetFile received them.
struct TCopyProgress {
  tProgressProc pProgress;
  int iPluginNr;
  char* pRemoteName;
  char* pLocalName;
};

// CopyFileExW's progress routine; lpData points to a TCopyProgress. After
// each chunk it reports the per-cent of the whole file to the host and
// answers PROGRESS_CANCEL when the host answers non-zero, else
// PROGRESS_CONTINUE. The start of a stream is not reported: the host has
// had its 0 per cent call before the copy began.
DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER TotalFileSize, LARGE_INTEGER TotalBytesTransferred,
                                   LARGE_INTEGER StreamSize, LARGE_INTEGER StreamBytesTransferred,
                                   DWORD dwStreamNumber, DWORD dwCallbackReason, HANDLE hSourceFile,
                                   HANDLE hDestinationFile, LPVOID lpData);

// The system's copy with a progress routine, in the form of CopyFileExW.
using TCopyFileEx = BOOL(WINAPI*)(LPCWSTR pExistingName, LPCWSTR pNewName, LPPROGRESS_ROUTINE pRoutine,
                                  LPVOID pData, LPBOOL pbCancel, DWORD dwCopyFlags);

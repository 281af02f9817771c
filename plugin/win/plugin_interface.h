// Our declarations of the host's file-system plugin interface: callback
// types, the record it passes to FsGetFile and the constants of its results
// and flags. Every entry point and callback is stdcall with ANSI texts.
#pragma once

#include <windows.h>

typedef int(__stdcall* tProgressProc)(int PluginNr, char* SourceName, char* TargetName, int PercentDone);
typedef void(__stdcall* tLogProc)(int PluginNr, int MsgType, char* LogString);
typedef BOOL(__stdcall* tRequestProc)(int PluginNr, int RequestType, char* CustomTitle, char* CustomText,
                                      char* ReturnedText, int maxlen);

struct RemoteInfoStruct {
  DWORD SizeLow;
  DWORD SizeHigh;
  FILETIME LastWriteTime;
  int Attr;
};

enum : int {
  FS_FILE_OK = 0,
  FS_FILE_EXISTS = 1,
  FS_FILE_NOTFOUND = 2,
  FS_FILE_READERROR = 3,
  FS_FILE_WRITEERROR = 4,
  FS_FILE_USERABORT = 5,
  FS_FILE_NOTSUPPORTED = 6,
  FS_FILE_EXISTSRESUMEALLOWED = 7,
};

enum : int {
  FS_EXEC_OK = 0,
  FS_EXEC_ERROR = 1,
  FS_EXEC_YOURSELF = -1,
  FS_EXEC_SYMLINK = -2,
};

enum : int {
  FS_COPYFLAGS_OVERWRITE = 1,
  FS_COPYFLAGS_RESUME = 2,
  FS_COPYFLAGS_MOVE = 4,
  FS_COPYFLAGS_EXISTS_SAMECASE = 8,
  FS_COPYFLAGS_EXISTS_DIFFERENTCASE = 16,
};

enum : int {
  FS_ICON_USEDEFAULT = 0,
  FS_ICON_EXTRACTED = 1,
  FS_ICON_EXTRACTED_DESTROY = 2,
  FS_ICON_DELAYED = 3,
};

enum : int {
  FS_ICONFLAG_SMALL = 1,
  FS_ICONFLAG_BACKGROUND = 2,
};

// The exported entry points (defined in the units that implement them).
extern "C" {
int __stdcall FsInit(int PluginNr, tProgressProc pProgressProc, tLogProc pLogProc, tRequestProc pRequestProc);
void __stdcall FsGetDefRootName(char* DefRootName, int maxlen);
HANDLE __stdcall FsFindFirst(char* Path, WIN32_FIND_DATAA* FindData);
BOOL __stdcall FsFindNext(HANDLE Hdl, WIN32_FIND_DATAA* FindData);
int __stdcall FsFindClose(HANDLE Hdl);
int __stdcall FsGetFile(char* RemoteName, char* LocalName, int CopyFlags, RemoteInfoStruct* ri);
int __stdcall FsExecuteFile(HWND MainWin, char* RemoteName, char* Verb);
int __stdcall FsExtractCustomIcon(char* RemoteName, int ExtractFlags, HICON* TheIcon);
}

// The command-line plugin host: loads a file-system plugin (.wfx, .wfx64)
// and drives it as the file manager does, so that a person or a test can
// list, copy, open and ask for icons without the file manager.
//
//   plugin_host.exe [--auto-close] [--load LIBRARY]... PLUGIN [COMMAND [ARGUMENTS]]
//
// Without a command it reads commands from its standard input, one a line.
// Commands:
//   ls PATH                 the folder as a file manager shows it
//   tree PATH               the folder and everything below it
//   get PATH LOCAL [--overwrite|--resume|--move]
//                           copies a document out, with a progress line
//   open PATH               what Enter on the item does
//   icon PATH               the icon the plugin gives the item
//   cd FOLDER               makes FOLDER this process's current folder
//   exit                    ends the command input
// Message boxes the plugin shows are real boxes; with --auto-close each one
// is printed (caption and text) and closed. --load puts another library into
// this process first, as a library injected into the file manager would be.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/win_text.h"
#include "plugin/win/plugin_interface.h"
#include "rtl/text_routines.h"
#include "tools/message_boxes/message_box_recorder.h"

namespace {

constexpr int EXIT_DONE = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_NO_PLUGIN = 3;
constexpr int HOST_PLUGIN_NR = 1;
constexpr int MAX_TREE_DEPTH = 32;

// ---- output -----------------------------------------------------------------

std::mutex mtxOutput;

bool IsConsole(HANDLE hHandle) {
  DWORD dwMode = 0;
  return GetConsoleMode(hHandle, &dwMode) != 0;
}

// Writes to the standard output at once: UTF-16 to a console, UTF-8 to a
// file or a pipe.
void Write(std::u16string_view sText) {
  std::lock_guard<std::mutex> lock(mtxOutput);
  const HANDLE hOut = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD dwWritten = 0;
  if (IsConsole(hOut)) {
    WriteConsoleW(hOut, AsWide(std::u16string(sText)), static_cast<DWORD>(sText.size()), &dwWritten, nullptr);
  } else {
    const std::string sUtf8 = TextToUtf8(sText);
    WriteFile(hOut, sUtf8.data(), static_cast<DWORD>(sUtf8.size()), &dwWritten, nullptr);
  }
}
void Print(std::u16string_view sLine) { Write(std::u16string(sLine) + u"\n"); }

std::u16string Wide(const wchar_t* pText) { return AsText(pText); }

// The host's texts to and from the plugin are ANSI, in the system's code page.
std::string ToAnsi(const std::u16string& sText) {
  if (sText.empty()) return {};
  const int iBytes = WideCharToMultiByte(CP_ACP, 0, AsWide(sText), static_cast<int>(sText.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string sAnsi(static_cast<size_t>(iBytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, AsWide(sText), static_cast<int>(sText.size()), sAnsi.data(), iBytes, nullptr,
                      nullptr);
  return sAnsi;
}
std::u16string FromAnsi(const char* pAnsi) {
  const int iLength = MultiByteToWideChar(CP_ACP, 0, pAnsi, -1, nullptr, 0);
  if (iLength <= 1) return {};
  std::u16string sText(static_cast<size_t>(iLength), u'\0');
  MultiByteToWideChar(CP_ACP, 0, pAnsi, -1, AsWideBuffer(sText.data()), iLength);
  sText.resize(static_cast<size_t>(iLength) - 1);
  return sText;
}

std::u16string Padded(std::u16string sText, size_t iWidth) {
  return sText.size() >= iWidth ? sText : std::u16string(iWidth - sText.size(), u' ') + sText;
}
std::u16string Two(int iValue) {
  std::u16string sText = IntToText(iValue);
  if (sText.size() < 2) sText.insert(sText.begin(), u'0');
  return sText;
}

std::u16string Count(uint64_t iCount, const char16_t* pOne, const char16_t* pMany) {
  return IntToText(static_cast<int64_t>(iCount)) + u" " + (iCount == 1 ? pOne : pMany);
}

std::u16string ErrorText(DWORD dwError) {
  wchar_t* pText = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, dwError, 0, reinterpret_cast<wchar_t*>(&pText), 0, nullptr);
  std::u16string sText = pText ? Trim(Wide(pText)) : std::u16string();
  LocalFree(pText);
  return u"error " + IntToText(dwError) + (sText.empty() ? u"" : u": " + sText);
}

// ---- the plugin ---------------------------------------------------------------

struct TPlugin {
  HMODULE hModule = nullptr;
  decltype(&FsInit) fsInit = nullptr;
  decltype(&FsGetDefRootName) fsGetDefRootName = nullptr;
  decltype(&FsFindFirst) fsFindFirst = nullptr;
  decltype(&FsFindNext) fsFindNext = nullptr;
  decltype(&FsFindClose) fsFindClose = nullptr;
  decltype(&FsGetFile) fsGetFile = nullptr;
  decltype(&FsExecuteFile) fsExecuteFile = nullptr;
  decltype(&FsExtractCustomIcon) fsExtractCustomIcon = nullptr;
};
TPlugin plugin;

template <typename F>
bool Resolve(F& pFunction, const char* pName) {
  // Through void*: a FARPROC is not one of the entry points' function types.
  pFunction = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(plugin.hModule, pName)));
  if (!pFunction) Print(u"the plugin has no entry point " + Utf8ToText(pName));
  return pFunction != nullptr;
}

// What the progress procedure has seen of the copy under way.
struct TProgress {
  bool bLive = false;  // rewrite one console line; otherwise collect the steps
  int iLastShown = -1;
  std::u16string sSteps;
};
TProgress progress;

int __stdcall ProgressProc(int /*PluginNr*/, char* /*SourceName*/, char* /*TargetName*/, int PercentDone) {
  if (progress.bLive) {
    Write(u"\r  progress " + Padded(IntToText(PercentDone), 3) + u"%");
    progress.iLastShown = PercentDone;
  } else if (progress.iLastShown < 0 || PercentDone == 100 || PercentDone / 10 > progress.iLastShown / 10) {
    if (PercentDone != progress.iLastShown) progress.sSteps += u" " + IntToText(PercentDone) + u"%";
    progress.iLastShown = PercentDone;
  }
  return 0;  // never asks to abort
}

void __stdcall LogProc(int /*PluginNr*/, int MsgType, char* LogString) {
  Print(u"plugin log (" + IntToText(MsgType) + u"): " + FromAnsi(LogString ? LogString : ""));
}

BOOL __stdcall RequestProc(int /*PluginNr*/, int RequestType, char* CustomTitle, char* CustomText,
                           char* /*ReturnedText*/, int /*maxlen*/) {
  Print(u"plugin asks the user (" + IntToText(RequestType) + u"): " + FromAnsi(CustomTitle ? CustomTitle : "") +
        u" " + FromAnsi(CustomText ? CustomText : "") + u"; answered no");
  return FALSE;
}

bool LoadPlugin(const std::u16string& sFile) {
  plugin.hModule = LoadLibraryW(AsWide(sFile));
  if (!plugin.hModule) {
    Print(u"cannot load the plugin \"" + sFile + u"\": " + ErrorText(GetLastError()));
    return false;
  }
  bool bAll = Resolve(plugin.fsInit, "FsInit");
  bAll = Resolve(plugin.fsFindFirst, "FsFindFirst") && bAll;
  bAll = Resolve(plugin.fsFindNext, "FsFindNext") && bAll;
  bAll = Resolve(plugin.fsFindClose, "FsFindClose") && bAll;
  if (!bAll) return false;
  // The optional ones: a command that needs a missing one says so.
  plugin.fsGetDefRootName = reinterpret_cast<decltype(plugin.fsGetDefRootName)>(
      reinterpret_cast<void*>(GetProcAddress(plugin.hModule, "FsGetDefRootName")));
  plugin.fsGetFile = reinterpret_cast<decltype(plugin.fsGetFile)>(
      reinterpret_cast<void*>(GetProcAddress(plugin.hModule, "FsGetFile")));
  plugin.fsExecuteFile = reinterpret_cast<decltype(plugin.fsExecuteFile)>(
      reinterpret_cast<void*>(GetProcAddress(plugin.hModule, "FsExecuteFile")));
  plugin.fsExtractCustomIcon = reinterpret_cast<decltype(plugin.fsExtractCustomIcon)>(
      reinterpret_cast<void*>(GetProcAddress(plugin.hModule, "FsExtractCustomIcon")));
  // As the file manager does: the root's name first, then FsInit once.
  if (plugin.fsGetDefRootName) {
    char szRoot[MAX_PATH] = {};
    plugin.fsGetDefRootName(szRoot, MAX_PATH);
  }
  plugin.fsInit(HOST_PLUGIN_NR, ProgressProc, LogProc, RequestProc);
  return true;
}

// ---- virtual paths --------------------------------------------------------------

std::u16string JoinVirtual(const std::u16string& sFolder, const std::u16string& sName) {
  return IncludeTrailingBackslash(sFolder) + sName;
}

// The folder that lists the item and the item's name.
void SplitVirtual(const std::u16string& sPath, std::u16string& sFolder, std::u16string& sName) {
  const std::u16string sItem = ExcludeTrailingBackslash(sPath);
  const size_t iAt = sItem.rfind(u'\\');
  if (iAt == std::u16string::npos) {
    sFolder = u"\\";
    sName = sItem;
    return;
  }
  sFolder = iAt == 0 ? u"\\" : sItem.substr(0, iAt);
  sName = sItem.substr(iAt + 1);
}

struct TFolder {
  bool bListed = false;
  DWORD dwError = 0;
  std::vector<WIN32_FIND_DATAA> vEntries;
};

// Lists a folder as the file manager does: FsFindFirst, FsFindNext until
// FALSE, FsFindClose; all of it before anything else is asked.
TFolder ReadFolder(const std::u16string& sPath) {
  TFolder folder;
  std::string sAnsi = ToAnsi(sPath);
  WIN32_FIND_DATAA findData{};
  const HANDLE hFind = plugin.fsFindFirst(sAnsi.data(), &findData);
  if (hFind == INVALID_HANDLE_VALUE) {
    const DWORD dwError = GetLastError();
    folder.bListed = dwError == ERROR_NO_MORE_FILES;
    folder.dwError = dwError;
    return folder;
  }
  folder.bListed = true;
  do {
    folder.vEntries.push_back(findData);
    findData = WIN32_FIND_DATAA{};
  } while (plugin.fsFindNext(hFind, &findData));
  plugin.fsFindClose(hFind);
  return folder;
}

bool IsFolder(const WIN32_FIND_DATAA& entry) { return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

uint64_t SizeOf(const WIN32_FIND_DATAA& entry) {
  return (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
}

std::u16string DateText(const FILETIME& ftTime) {
  if (ftTime.dwLowDateTime == 0 && ftTime.dwHighDateTime == 0) return std::u16string(16, u' ');
  FILETIME ftLocal;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&ftTime, &ftLocal) || !FileTimeToSystemTime(&ftLocal, &st))
    return std::u16string(16, u'?');
  return IntToText(st.wYear) + u"-" + Two(st.wMonth) + u"-" + Two(st.wDay) + u" " + Two(st.wHour) + u":" +
         Two(st.wMinute);
}

std::u16string AttributeText(DWORD dwAttributes) {
  std::u16string sText = u"----";
  if (dwAttributes & FILE_ATTRIBUTE_READONLY) sText[0] = u'r';
  if (dwAttributes & FILE_ATTRIBUTE_ARCHIVE) sText[1] = u'a';
  if (dwAttributes & FILE_ATTRIBUTE_HIDDEN) sText[2] = u'h';
  if (dwAttributes & FILE_ATTRIBUTE_SYSTEM) sText[3] = u's';
  return sText;
}

bool ReportUnlisted(const std::u16string& sPath, const TFolder& folder) {
  if (folder.bListed) return false;
  Print(u"cannot enter \"" + sPath + u"\": " + ErrorText(folder.dwError));
  return true;
}

// ---- commands -----------------------------------------------------------------

int CommandLs(const std::u16string& sPath) {
  const TFolder folder = ReadFolder(sPath);
  if (ReportUnlisted(sPath, folder)) return EXIT_FAILED;
  size_t iFolders = 0;
  size_t iFiles = 0;
  uint64_t iBytes = 0;
  for (const WIN32_FIND_DATAA& entry : folder.vEntries) {
    const bool bFolder = IsFolder(entry);
    const std::u16string sSize = bFolder ? u"<DIR>" : IntToText(static_cast<int64_t>(SizeOf(entry)));
    Print(Padded(sSize, 12) + u"  " + DateText(entry.ftLastWriteTime) + u"  " +
          AttributeText(entry.dwFileAttributes) + u"  " + FromAnsi(entry.cFileName));
    (bFolder ? iFolders : iFiles) += 1;
    if (!bFolder) iBytes += SizeOf(entry);
  }
  Print(folder.vEntries.empty() ? u"(no entries)"
                                : Count(iFolders, u"folder", u"folders") + u", " + Count(iFiles, u"file", u"files") +
                                      u", " + Count(iBytes, u"byte", u"bytes"));
  return EXIT_DONE;
}

bool PrintTree(const std::u16string& sPath, const std::u16string& sIndent, int iDepth) {
  const TFolder folder = ReadFolder(sPath);
  if (ReportUnlisted(sPath, folder)) return false;
  bool bAll = true;
  for (size_t i = 0; i < folder.vEntries.size(); ++i) {
    const WIN32_FIND_DATAA& entry = folder.vEntries[i];
    const bool bLast = i + 1 == folder.vEntries.size();
    const std::u16string sName = FromAnsi(entry.cFileName);
    Print(sIndent + (bLast ? u"\u2514\u2500\u2500 " : u"\u251C\u2500\u2500 ") + sName +
          (IsFolder(entry) ? u"\\" : u""));
    if (!IsFolder(entry)) continue;
    if (iDepth >= MAX_TREE_DEPTH) {
      Print(sIndent + u"    (deeper levels left out)");
      continue;
    }
    bAll = PrintTree(JoinVirtual(sPath, sName), sIndent + (bLast ? u"    " : u"\u2502   "), iDepth + 1) && bAll;
  }
  return bAll;
}

int CommandTree(const std::u16string& sPath) {
  Print(sPath);
  return PrintTree(sPath, u"", 0) ? EXIT_DONE : EXIT_FAILED;
}

// Lists the item's folder, as the file manager has always done before it
// copies, opens or asks for an icon, and returns the item's find data.
WIN32_FIND_DATAA ListItemFolder(const std::u16string& sPath) {
  std::u16string sFolder, sName;
  SplitVirtual(sPath, sFolder, sName);
  WIN32_FIND_DATAA found{};
  for (const WIN32_FIND_DATAA& entry : ReadFolder(sFolder).vEntries)
    if (FromAnsi(entry.cFileName) == sName) {
      found = entry;
      break;
    }
  return found;
}

const char16_t* FileResultName(int iResult) {
  switch (iResult) {
    case FS_FILE_OK: return u"FS_FILE_OK";
    case FS_FILE_EXISTS: return u"FS_FILE_EXISTS";
    case FS_FILE_NOTFOUND: return u"FS_FILE_NOTFOUND";
    case FS_FILE_READERROR: return u"FS_FILE_READERROR";
    case FS_FILE_WRITEERROR: return u"FS_FILE_WRITEERROR";
    case FS_FILE_USERABORT: return u"FS_FILE_USERABORT";
    case FS_FILE_NOTSUPPORTED: return u"FS_FILE_NOTSUPPORTED";
    case FS_FILE_EXISTSRESUMEALLOWED: return u"FS_FILE_EXISTSRESUMEALLOWED";
    default: return u"an unknown result";
  }
}

int CommandGet(const std::u16string& sRemote, const std::u16string& sLocal, int iFlags) {
  if (!plugin.fsGetFile) return Print(u"the plugin has no FsGetFile"), EXIT_FAILED;
  const WIN32_FIND_DATAA entry = ListItemFolder(sRemote);
  RemoteInfoStruct info{entry.nFileSizeLow, entry.nFileSizeHigh, entry.ftLastWriteTime,
                        static_cast<int>(entry.dwFileAttributes)};
  std::string sRemoteAnsi = ToAnsi(sRemote);
  std::string sLocalAnsi = ToAnsi(sLocal);
  Print(std::u16string(iFlags & FS_COPYFLAGS_MOVE ? u"move " : u"copy ") + sRemote + u" -> " + sLocal);
  progress = TProgress{IsConsole(GetStdHandle(STD_OUTPUT_HANDLE)), -1, {}};
  const int iResult = plugin.fsGetFile(sRemoteAnsi.data(), sLocalAnsi.data(), iFlags, &info);
  if (progress.bLive && progress.iLastShown >= 0) Write(u"\n");
  if (!progress.bLive) Print(u"  progress" + (progress.sSteps.empty() ? u" (not reported)" : progress.sSteps));
  switch (iResult) {
    case FS_FILE_OK: {
      WIN32_FILE_ATTRIBUTE_DATA data{};
      const bool bThere = GetFileAttributesExW(AsWide(sLocal), GetFileExInfoStandard, &data) != 0;
      Print(u"  done (FS_FILE_OK)" +
            (bThere ? u": " + IntToText((static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) +
                          u" bytes, written " + DateText(data.ftLastWriteTime)
                    : u", but the target is not there"));
      return EXIT_DONE;
    }
    case FS_FILE_EXISTS:
    case FS_FILE_EXISTSRESUMEALLOWED:
      // Where the file manager asks the user, this host takes the answer from
      // its command line.
      Print(u"  the target exists (" + std::u16string(FileResultName(iResult)) +
            u"): give --overwrite to replace it" +
            (iResult == FS_FILE_EXISTSRESUMEALLOWED ? u" or --resume to go on with it" : u""));
      return EXIT_FAILED;
    default:
      Print(u"  failed (" + std::u16string(FileResultName(iResult)) + u")");
      return EXIT_FAILED;
  }
}

int CommandOpen(const std::u16string& sPath) {
  if (!plugin.fsExecuteFile) return Print(u"the plugin has no FsExecuteFile"), EXIT_FAILED;
  ListItemFolder(sPath);
  const std::string sAnsi = ToAnsi(sPath);
  // The host's buffer of MAX_PATH bytes, which the plugin may write a path into.
  char szRemote[MAX_PATH] = {};
  if (sAnsi.size() >= MAX_PATH) return Print(u"the path is too long for the host"), EXIT_FAILED;
  std::memcpy(szRemote, sAnsi.c_str(), sAnsi.size() + 1);
  char szVerb[] = "open";
  const int iResult = plugin.fsExecuteFile(nullptr, szRemote, szVerb);
  switch (iResult) {
    case FS_EXEC_OK:
      Print(u"open " + sPath + u": opened with its program (FS_EXEC_OK)");
      return EXIT_DONE;
    case FS_EXEC_SYMLINK:
      szRemote[MAX_PATH - 1] = '\0';
      Print(u"open " + sPath + u": the host now shows the real folder " + FromAnsi(szRemote) +
            u" (FS_EXEC_SYMLINK)");
      return EXIT_DONE;
    case FS_EXEC_YOURSELF:
      Print(u"open " + sPath + u": the plugin leaves it to the host (FS_EXEC_YOURSELF)");
      return EXIT_DONE;
    default:
      Print(u"open " + sPath + u": failed (FS_EXEC_ERROR)");
      return EXIT_FAILED;
  }
}

std::u16string IconResult(const std::u16string& sPath, int iFlags) {
  std::string sAnsi = ToAnsi(sPath);
  char szRemote[MAX_PATH] = {};
  std::memcpy(szRemote, sAnsi.c_str(), std::min<size_t>(sAnsi.size(), MAX_PATH - 1));
  HICON hIcon = nullptr;
  const int iResult = plugin.fsExtractCustomIcon(szRemote, iFlags, &hIcon);
  if (iResult == FS_ICON_USEDEFAULT) return u"FS_ICON_USEDEFAULT (the host's own icon for it)";
  if (iResult == FS_ICON_DELAYED) return u"FS_ICON_DELAYED (ask again in the background)";
  if (iResult != FS_ICON_EXTRACTED && iResult != FS_ICON_EXTRACTED_DESTROY)
    return u"unknown result " + IntToText(iResult);
  std::u16string sText = iResult == FS_ICON_EXTRACTED ? u"FS_ICON_EXTRACTED" : u"FS_ICON_EXTRACTED_DESTROY";
  ICONINFO info{};
  if (hIcon && GetIconInfo(hIcon, &info)) {
    BITMAP bitmap{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    const LONG iHeight = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
    sText += u" (" + IntToText(bitmap.bmWidth) + u"x" + IntToText(iHeight) + u" icon from the plugin)";
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  } else {
    sText += u" (but no icon)";
  }
  // An extracted icon stays the plugin's; the host destroys only the other kind.
  if (iResult == FS_ICON_EXTRACTED_DESTROY && hIcon) DestroyIcon(hIcon);
  return sText;
}

int CommandIcon(const std::u16string& sPath) {
  if (!plugin.fsExtractCustomIcon) return Print(u"the plugin has no FsExtractCustomIcon"), EXIT_FAILED;
  ListItemFolder(sPath);
  Print(u"icon " + sPath + u": small " + IconResult(sPath, FS_ICONFLAG_SMALL) + u"; large " +
        IconResult(sPath, 0));
  return EXIT_DONE;
}

int CommandCd(const std::u16string& sFolder) {
  if (!SetCurrentDirectoryW(AsWide(sFolder)))
    return Print(u"cd " + sFolder + u": " + ErrorText(GetLastError())), EXIT_FAILED;
  wchar_t szFolder[MAX_PATH * 2] = {};
  GetCurrentDirectoryW(MAX_PATH * 2, szFolder);
  Print(u"current folder of process " + IntToText(GetCurrentProcessId()) + u": " + Wide(szFolder));
  return EXIT_DONE;
}

constexpr char16_t COMMANDS_HELP[] =
    u"commands: ls PATH | tree PATH | get PATH LOCAL [--overwrite|--resume|--move] | open PATH | icon PATH |"
    u" cd FOLDER | exit";

int RunCommand(const std::vector<std::u16string>& vWords) {
  const std::u16string& sCommand = vWords[0];
  const size_t iArgs = vWords.size() - 1;
  if (sCommand == u"ls" && iArgs == 1) return CommandLs(vWords[1]);
  if (sCommand == u"tree" && iArgs == 1) return CommandTree(vWords[1]);
  if (sCommand == u"open" && iArgs == 1) return CommandOpen(vWords[1]);
  if (sCommand == u"icon" && iArgs == 1) return CommandIcon(vWords[1]);
  if (sCommand == u"cd" && iArgs == 1) return CommandCd(vWords[1]);
  if (sCommand == u"get" && (iArgs == 2 || iArgs == 3)) {
    int iFlags = 0;
    if (iArgs == 3) {
      if (vWords[3] == u"--overwrite") iFlags = FS_COPYFLAGS_OVERWRITE;
      else if (vWords[3] == u"--resume") iFlags = FS_COPYFLAGS_RESUME;
      else if (vWords[3] == u"--move") iFlags = FS_COPYFLAGS_MOVE;
      else return Print(COMMANDS_HELP), EXIT_USAGE;
    }
    return CommandGet(vWords[1], vWords[2], iFlags);
  }
  Print(COMMANDS_HELP);
  return EXIT_USAGE;
}

std::vector<std::u16string> SplitArguments(const std::u16string& sLine) {
  std::vector<std::u16string> vWords;
  // The system's rules, with a stand-in for the program name they expect first.
  const std::u16string sCommandLine = u"host " + sLine;
  int iCount = 0;
  LPWSTR* pArgs = CommandLineToArgvW(AsWide(sCommandLine), &iCount);
  for (int i = 1; pArgs && i < iCount; ++i) vWords.push_back(Wide(pArgs[i]));
  LocalFree(pArgs);
  return vWords;
}

bool ReadLine(std::u16string& sLine) {
  const HANDLE hInput = GetStdHandle(STD_INPUT_HANDLE);
  std::string sBytes;
  for (;;) {
    char c = 0;
    DWORD dwRead = 0;
    if (!ReadFile(hInput, &c, 1, &dwRead, nullptr) || dwRead == 0) {
      sLine = Utf8ToText(sBytes);
      return !sBytes.empty();
    }
    if (c == '\n') break;
    if (c != '\r') sBytes += c;
  }
  sLine = Utf8ToText(sBytes);
  return true;
}

// Commands from the standard input until its end or "exit". A console gets a
// prompt; other input is echoed, so that a transcript shows what was asked.
int RunCommandInput() {
  const bool bConsole = IsConsole(GetStdHandle(STD_INPUT_HANDLE));
  int iExit = EXIT_DONE;
  std::u16string sLine;
  for (;;) {
    if (bConsole) Write(u"vfs> ");
    if (!ReadLine(sLine)) break;
    const std::vector<std::u16string> vWords = SplitArguments(sLine);
    if (vWords.empty()) continue;
    if (!bConsole) Print(u"> " + Trim(sLine));
    if (vWords[0] == u"exit") break;
    if (RunCommand(vWords) != EXIT_DONE) iExit = EXIT_FAILED;
  }
  return iExit;
}

int Run() {
  int iCount = 0;
  LPWSTR* pArgs = CommandLineToArgvW(GetCommandLineW(), &iCount);
  std::vector<std::u16string> vArgs;
  for (int i = 1; pArgs && i < iCount; ++i) vArgs.push_back(Wide(pArgs[i]));
  LocalFree(pArgs);

  bool bAutoClose = false;
  size_t iNext = 0;
  for (; iNext < vArgs.size(); ++iNext) {
    if (vArgs[iNext] == u"--auto-close") {
      bAutoClose = true;
    } else if (vArgs[iNext] == u"--load" && iNext + 1 < vArgs.size()) {
      const std::u16string& sLibrary = vArgs[++iNext];
      if (!LoadLibraryW(AsWide(sLibrary))) {
        Print(u"cannot load \"" + sLibrary + u"\": " + ErrorText(GetLastError()));
        return EXIT_NO_PLUGIN;
      }
      Print(u"loaded " + sLibrary + u" into process " + IntToText(GetCurrentProcessId()));
    } else {
      break;
    }
  }
  if (iNext >= vArgs.size() || vArgs[iNext].empty() || vArgs[iNext][0] == u'-') {
    Print(u"usage: plugin_host.exe [--auto-close] [--load LIBRARY]... PLUGIN [COMMAND [ARGUMENTS]]");
    Print(u"  without a command it reads commands from its standard input, one a line");
    Print(COMMANDS_HELP);
    return EXIT_USAGE;
  }

  // Boxes appear and wait for the user, unless --auto-close reads and closes them.
  std::unique_ptr<TMessageBoxRecorder> pRecorder;
  if (bAutoClose)
    pRecorder = std::make_unique<TMessageBoxRecorder>([](const TRecordedBox& box) {
      Print(u"message box \"" + Wide(box.sCaption.c_str()) + u"\": \"" + Wide(box.sText.c_str()) +
            u"\" (closed)");
    });
  if (!LoadPlugin(vArgs[iNext])) return EXIT_NO_PLUGIN;

  const std::vector<std::u16string> vCommand(vArgs.begin() + static_cast<std::ptrdiff_t>(iNext) + 1, vArgs.end());
  const int iExit = vCommand.empty() ? RunCommandInput() : RunCommand(vCommand);
  // The plugin's detach runs here, while the recorder still closes boxes.
  FreeLibrary(plugin.hModule);
  return iExit;
}

}  // namespace

int wmain() {
  try {
    return Run();
  } catch (const std::exception& e) {
    Print(u"stopped by an error: " + Utf8ToText(e.what()));
    return EXIT_FAILED;
  }
}

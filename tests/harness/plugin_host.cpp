#include "tests/harness/plugin_host.h"

namespace {

std::mutex mtxProgress;
std::vector<TProgressCall> vProgress;
int iProgressAnswer = 0;

int __stdcall RecordProgress(int PluginNr, char* SourceName, char* TargetName, int PercentDone) {
  std::lock_guard<std::mutex> lock(mtxProgress);
  vProgress.push_back({PluginNr, SourceName ? SourceName : "", TargetName ? TargetName : "", PercentDone});
  return iProgressAnswer;
}

}  // namespace

template <typename F>
F TPluginHost::Resolved(const char* pName) const {
  // Through void*: a FARPROC is not one of the entry points' function types.
  return reinterpret_cast<F>(reinterpret_cast<void*>(Resolve(pName)));
}

TPluginHost::TPluginHost() {
  hModule = LoadLibraryW(PluginPath().c_str());
  if (!hModule) return;
  fsInit = Resolved<decltype(fsInit)>("FsInit");
  fsGetDefRootName = Resolved<decltype(fsGetDefRootName)>("FsGetDefRootName");
  fsFindFirst = Resolved<decltype(fsFindFirst)>("FsFindFirst");
  fsFindNext = Resolved<decltype(fsFindNext)>("FsFindNext");
  fsFindClose = Resolved<decltype(fsFindClose)>("FsFindClose");
  fsGetFile = Resolved<decltype(fsGetFile)>("FsGetFile");
  fsExecuteFile = Resolved<decltype(fsExecuteFile)>("FsExecuteFile");
  fsExtractCustomIcon = Resolved<decltype(fsExtractCustomIcon)>("FsExtractCustomIcon");
}

TPluginHost::~TPluginHost() { Unload(); }

void TPluginHost::Unload() {
  if (hModule) FreeLibrary(hModule);
  hModule = nullptr;
}

int TPluginHost::Init() { return fsInit(PLUGIN_NR, RecordProgress, nullptr, nullptr); }

FARPROC TPluginHost::Resolve(const char* pName) const {
  return hModule ? GetProcAddress(hModule, pName) : nullptr;
}

std::wstring TPluginHost::BinaryFolder() {
  wchar_t szPath[MAX_PATH];
  const DWORD dwLength = GetModuleFileNameW(nullptr, szPath, MAX_PATH);
  std::wstring sPath(szPath, dwLength);
  return sPath.substr(0, sPath.find_last_of(L"\\/") + 1);
}

std::wstring TPluginHost::PluginPath() { return BinaryFolder() + PLUGIN_FILE_NAME; }

std::vector<TProgressCall> TPluginHost::ProgressCalls() {
  std::lock_guard<std::mutex> lock(mtxProgress);
  return vProgress;
}

void TPluginHost::ClearProgress() {
  std::lock_guard<std::mutex> lock(mtxProgress);
  vProgress.clear();
}

void TPluginHost::SetProgressAnswer(int iAnswer) {
  std::lock_guard<std::mutex> lock(mtxProgress);
  iProgressAnswer = iAnswer;
}

std::wstring Wide(const std::u16string& sText) { return std::wstring(sText.begin(), sText.end()); }
std::u16string Text(const std::wstring& sWide) { return std::u16string(sWide.begin(), sWide.end()); }

std::string Ansi(const std::wstring& sWide) {
  if (sWide.empty()) return {};
  const int iBytes = WideCharToMultiByte(CP_ACP, 0, sWide.data(), static_cast<int>(sWide.size()), nullptr, 0,
                                         nullptr, nullptr);
  std::string sAnsi(static_cast<size_t>(iBytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, sWide.data(), static_cast<int>(sWide.size()), sAnsi.data(), iBytes, nullptr,
                      nullptr);
  return sAnsi;
}

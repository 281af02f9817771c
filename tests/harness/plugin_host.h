// TPluginHost loads the built plugin with LoadLibrary and resolves its entry
// points by name, as the file manager does; unloading runs the library's
// detach. The progress procedure it passes to FsInit records every call.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "plugin/win/plugin_interface.h"

struct TProgressCall {
  int iPluginNr;
  std::string sSource;
  std::string sTarget;
  int iPercent;
};

class TPluginHost {
 public:
  // Loads the plugin that sits beside the test program.
  TPluginHost();
  ~TPluginHost();
  TPluginHost(const TPluginHost&) = delete;
  TPluginHost& operator=(const TPluginHost&) = delete;

  bool Loaded() const { return hModule != nullptr; }
  HMODULE Module() const { return hModule; }
  void Unload();
  // Calls FsInit with plugin number 7 and the recording progress procedure.
  int Init();

  // The folder that holds the test program and the deliverables.
  static std::wstring BinaryFolder();
  static std::wstring PluginPath();

  FARPROC Resolve(const char* pName) const;

  decltype(&FsInit) fsInit = nullptr;
  decltype(&FsGetDefRootName) fsGetDefRootName = nullptr;
  decltype(&FsFindFirst) fsFindFirst = nullptr;
  decltype(&FsFindNext) fsFindNext = nullptr;
  decltype(&FsFindClose) fsFindClose = nullptr;
  decltype(&FsGetFile) fsGetFile = nullptr;
  decltype(&FsExecuteFile) fsExecuteFile = nullptr;
  decltype(&FsExtractCustomIcon) fsExtractCustomIcon = nullptr;

  // Progress calls recorded since the last ClearProgress, from any thread.
  static std::vector<TProgressCall> ProgressCalls();
  static void ClearProgress();
  // What the recording progress procedure answers (non-zero asks for abort).
  static void SetProgressAnswer(int iAnswer);
  static constexpr int PLUGIN_NR = 7;

 private:
  template <typename F>
  F Resolved(const char* pName) const;
  HMODULE hModule = nullptr;
};

// Test helper: a UTF-16 text as a std::wstring and back.
std::wstring Wide(const std::u16string& sText);
std::u16string Text(const std::wstring& sWide);
// Test helper: a wide text in the ANSI code page, as the host passes it.
std::string Ansi(const std::wstring& sWide);

// Flitch: hands the path from its command line to the tag server with the
// message code that its mode letter selects, then ends. It is a program of the
// graphical subsystem so that starting it opens no console; it creates no
// window, prints nothing and reports nothing. The exit code is its only result.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string_view>
#include <vector>

#include "common/tag_server_contract.h"
#include "common/win_text.h"
#include "sender/flitch_command.h"

namespace {

// The argument array that CommandLineToArgvW allocates with LocalAlloc.
struct TArgumentsRelease {
  void operator()(LPWSTR* pArgs) const { LocalFree(pArgs); }
};
using TArguments = std::unique_ptr<LPWSTR, TArgumentsRelease>;

// One WM_COPYDATA to the tag server's window, looked up anew. Neither the
// window nor the result is tested: a missing server is not noticed.
void SendToTagServer(uintptr_t dwCode, const wchar_t* szText, size_t iLength) {
  COPYDATASTRUCT data{};
  data.dwData = dwCode;
  data.cbData = static_cast<DWORD>((iLength + 1) * sizeof(wchar_t));
  data.lpData = const_cast<wchar_t*>(szText);
  SendMessageW(FindWindowW(AsWide(TAG_SERVER_WINDOW_CLASS), nullptr), WM_COPYDATA, 0,
               reinterpret_cast<LPARAM>(&data));
}

int RunFlitch() {
  int iCount = 0;
  const TArguments pArgs(CommandLineToArgvW(GetCommandLineW(), &iCount));
  if (!pArgs) return FLITCH_EXIT_REFUSED;
  std::vector<std::u16string_view> vArgs;
  for (int i = 0; i < iCount; ++i) vArgs.emplace_back(AsText(pArgs.get()[i]));

  const std::optional<uintptr_t> dwCode = MessageCodeForArguments(vArgs);
  if (!dwCode) return FLITCH_EXIT_REFUSED;
  // The argument is sent exactly as split, with its own terminating NUL.
  const std::u16string_view sPath = vArgs[FLITCH_PATH_ARGUMENT];
  SendToTagServer(*dwCode, pArgs.get()[FLITCH_PATH_ARGUMENT], sPath.size());
  return FLITCH_EXIT_SENT;
}

}  // namespace

int WINAPI WinMain(HINSTANCE /*hInstance*/, HINSTANCE /*hPrevInstance*/, LPSTR /*szCmdLine*/, int /*iShow*/) {
  try {
    return RunFlitch();
  } catch (...) {
    // Only the argument list can fail to allocate, and that is before any send.
    return FLITCH_EXIT_REFUSED;
  }
}

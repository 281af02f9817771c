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
#include "common/tag_server_send.h"
#include "common/win_text.h"
#include "sender/flitch_command.h"

namespace {

// The argument array that CommandLineToArgvW allocates with LocalAlloc.
struct TArgumentsRelease {
  void operator()(LPWSTR* pArgs) const { LocalFree(pArgs); }
};
using TArguments = std::unique_ptr<LPWSTR, TArgumentsRelease>;

int RunFlitch() {
  int iCount = 0;
  const TArguments pArgs(CommandLineToArgvW(GetCommandLineW(), &iCount));
  if (!pArgs) return FLITCH_EXIT_REFUSED;
  std::vector<std::u16string_view> vArgs;
  for (int i = 0; i < iCount; ++i) vArgs.emplace_back(AsText(pArgs.get()[i]));

  const std::optional<uintptr_t> dwCode = MessageCodeForArguments(vArgs);
  if (!dwCode) return FLITCH_EXIT_REFUSED;
  // The argument is sent exactly as split.
  SendToTagServer(*dwCode, std::u16string(vArgs[FLITCH_PATH_ARGUMENT]));
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

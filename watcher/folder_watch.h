// How the folder watcher decides, pass by pass, whether its host's current
// folder is news for the tag server. Folders compare as file names: one
// trailing backslash removed from each, both lowered by the system's
// lower-case mapping, then compared unit by unit. The mapping belongs to the
// system, so the caller passes it in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "rtl/text_routines.h"

// How long the watcher waits between two looks at the current folder.
inline constexpr uint32_t DW_POLL_PERIOD_MS = 500;

// The system's lower-case mapping of a file name.
using TLowerFileName = std::u16string (*)(std::u16string_view sName);

// The folder of a file: its name cut after the last backslash or colon (empty
// when it has neither), with one trailing backslash removed, so that an
// executable in a drive root gives "C:".
inline std::u16string ExecutableFolder(std::u16string_view sFileName) {
  const size_t iCut = sFileName.find_last_of(u"\\:");
  if (iCut == std::u16string_view::npos) return std::u16string();
  return ExcludeTrailingBackslash(sFileName.substr(0, iCut + 1));
}

inline bool SameFolder(std::u16string_view sLeft, std::u16string_view sRight, TLowerFileName pLower) {
  return pLower(ExcludeTrailingBackslash(sLeft)) == pLower(ExcludeTrailingBackslash(sRight));
}

// The watcher's own memory: the folder it sent last, empty at the start, so
// that the first current folder counts as new.
class TFolderWatch {
 public:
  explicit TFolderWatch(TLowerFileName pLowerFileName) : pLower(pLowerFileName) {}

  // One pass: true when sCurrentFolder is to be sent, and it is then the last
  // reported folder, whether or not anyone receives it. The executable's
  // folder is never sent and leaves the last reported folder as it was.
  bool TakeCurrentFolder(std::u16string_view sCurrentFolder, std::u16string_view sExecutableFolder) {
    if (SameFolder(sCurrentFolder, sLastReportedFolder, pLower)) return false;
    if (SameFolder(sCurrentFolder, sExecutableFolder, pLower)) return false;
    sLastReportedFolder = std::u16string(sCurrentFolder);
    return true;
  }

  const std::u16string& LastReportedFolder() const { return sLastReportedFolder; }

 private:
  TLowerFileName pLower;
  std::u16string sLastReportedFolder;
};

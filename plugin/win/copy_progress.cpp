#include "plugin/win/copy_progress.h"

#include <cstdint>

#include "plugin/core/progress_percent.h"

namespace {

// The system's counts are signed; a negative one would be no count at all.
uint64_t ByteCount(LARGE_INTEGER count) {
  return count.QuadPart < 0 ? 0 : static_cast<uint64_t>(count.QuadPart);
}

}  // namespace

DWORD CALLBACK CopyProgressRoutine(LARGE_INTEGER TotalFileSize, LARGE_INTEGER TotalBytesTransferred,
                                   LARGE_INTEGER /*StreamSize*/, LARGE_INTEGER /*StreamBytesTransferred*/,
                                   DWORD /*dwStreamNumber*/, DWORD dwCallbackReason, HANDLE /*hSourceFile*/,
                                   HANDLE /*hDestinationFile*/, LPVOID lpData) {
  const auto* pProgress = static_cast<const TCopyProgress*>(lpData);
  if (dwCallbackReason != CALLBACK_CHUNK_FINISHED || !pProgress || !pProgress->pProgress) return PROGRESS_CONTINUE;
  const int iPercent = ProgressPercent(ByteCount(TotalBytesTransferred), ByteCount(TotalFileSize));
  const int iAnswer =
      pProgress->pProgress(pProgress->iPluginNr, pProgress->pRemoteName, pProgress->pLocalName, iPercent);
  // PROGRESS_CANCEL, not PROGRESS_STOP: the system removes the partial target.
  return iAnswer != 0 ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

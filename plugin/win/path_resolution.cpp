#include "plugin/win/path_resolution.h"

#include "common/tag_server_contract.h"
#include "plugin/core/virtual_path.h"
#include "plugin/win/global_state.h"
#include "plugin/win/request_channel.h"

bool ResolveVirtualPath(const std::u16string& sPath, std::u16string& sAnswer) {
  if (SearchDataList) {
    if (FindInSnapshots(*SearchDataList, sPath, sAnswer)) return true;
  } else {
    // Only when the cache could not be made: "." and ".." still answer alone.
    TSearchDataList noSnapshots;
    if (FindInSnapshots(noSnapshots, sPath, sAnswer)) return true;
  }
  // The server gets the path exactly as the caller passed it, blanks and
  // trailing backslash included.
  return GetOmbrixData(sPath, sAnswer, REQUEST_REAL_PATH);
}

// Resolving a virtual path: from the listing snapshots when one knows the
// path, otherwise by asking the tag server (request code 30).
#pragma once

#include <string>

// True with the answer: empty for a virtual folder, RR_INVALID_PATH for no
// item, otherwise the real document's path. False when the request failed
// (already shown to the user); sAnswer is then unchanged.
bool ResolveVirtualPath(const std::u16string& sPath, std::u16string& sAnswer);

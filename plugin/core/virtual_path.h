// Virtual paths of the tree the host browses: their split into the folder
// part and the name part, and the look-up of a path in the listing cache.
#pragma once

#include <string>
#include <string_view>

#include "plugin/core/listing_cache.h"

// After trimming (every unit of code U+0020 or lower at both ends) and
// dropping one trailing backslash: everything up to and including the last
// backslash. Empty when there is no backslash or nothing is left.
std::u16string VirtualFolderPart(std::u16string_view sPath);
// The same first steps, then everything after the last backslash (the whole
// text when there is none).
std::u16string VirtualNamePart(std::u16string_view sPath);

// Looks the path up in the snapshots, newest first, among those whose folder
// (less one trailing backslash) equals the path's folder key; in each, the
// first record whose name key equals the path's name key answers with its
// value. "." and ".." answer RR_INVALID_PATH without touching the list.
// All comparisons are exact. sAnswer is written only when true is returned.
bool FindInSnapshots(TSearchDataList& list, std::u16string_view sPath, std::u16string& sAnswer);

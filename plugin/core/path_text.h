// Text rules for real Windows paths: the length limit, joining a folder and
// a name, and TPathList, the list of a path's components.
#pragma once

#include <string>
#include <string_view>

#include "rtl/string_list.h"

inline constexpr size_t MAX_PATH_UNITS = 260;

// True when the path has fewer than 260 UTF-16 units (at most MAX_PATH - 1).
bool IsPathLengthValid(std::u16string_view sPath);

// The folder, one backslash unless it ends with one, and the name; an empty
// name gives the folder unchanged. The name is not inspected.
std::u16string JoinPath(std::u16string_view sFolder, std::u16string_view sName);

// Components of a path, cut at every backslash after one trailing backslash
// is removed. Empty components are kept; the joined form (DelimitedText)
// quotes a component that holds a double quote or a backslash.
class TPathList : public TStringList {
 public:
  TPathList();
  explicit TPathList(std::u16string_view sPath);
};

// Questions and changes about real paths: what is at a path, and creating
// the chain of folders along one. Failures come back as results only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr int32_t PATH_KIND_NONE = 0;
inline constexpr int32_t PATH_KIND_FILE = 1;
inline constexpr int32_t PATH_KIND_FOLDER = 2;

// 0 nothing, 1 an existing file, 2 an existing folder (one trailing backslash ignored).
int32_t GetPathKind(std::u16string_view sPath);

// Creates every missing folder along the path, testing each level from the
// top. Returns the path unchanged when all levels exist at the end, else
// empty text with the failed creation's error as the thread's last error.
std::u16string CreateFolderChain(std::u16string_view sPath);

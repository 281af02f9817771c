// Opening a document of the virtual tree: through the Windows shell, or by
// handing the host the real folder that holds it.
#pragma once

#include <string>
#include <string_view>

// An existing folder with exactly one trailing backslash, an existing file
// without one; a path where nothing exists comes back unchanged.
std::u16string NormalizeTrailingDelimiter(std::u16string_view sRealPath);

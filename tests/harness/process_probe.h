// Measurements for leak tests where the system keeps no handle counts (Wine):
// the reserved and committed address space, and whether named objects exist.
#pragma once

#include <windows.h>

#include <string>

// Bytes of this process's address space that are reserved or committed.
size_t UsedAddressSpace();
// The value a new kernel handle gets now; leaked handles push it up.
uintptr_t NextHandleValue();
// True when an event or a file mapping of this name exists in the session.
bool NamedEventExists(const std::wstring& sName);
bool NamedMappingExists(const std::wstring& sName);

#include "tests/harness/process_probe.h"

size_t UsedAddressSpace() {
  size_t iUsed = 0;
  MEMORY_BASIC_INFORMATION mbi;
  for (const char* p = nullptr; VirtualQuery(p, &mbi, sizeof mbi) == sizeof mbi;
       p = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize) {
    if (mbi.State != MEM_FREE) iUsed += mbi.RegionSize;
  }
  return iUsed;
}

uintptr_t NextHandleValue() {
  HANDLE hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const uintptr_t uValue = reinterpret_cast<uintptr_t>(hEvent);
  CloseHandle(hEvent);
  return uValue;
}

bool NamedEventExists(const std::wstring& sName) {
  HANDLE hEvent = OpenEventW(SYNCHRONIZE, FALSE, sName.c_str());
  if (hEvent) CloseHandle(hEvent);
  return hEvent != nullptr || GetLastError() != ERROR_FILE_NOT_FOUND;
}

bool NamedMappingExists(const std::wstring& sName) {
  HANDLE hMapping = OpenFileMappingW(FILE_MAP_READ, FALSE, sName.c_str());
  if (hMapping) CloseHandle(hMapping);
  return hMapping != nullptr || GetLastError() != ERROR_FILE_NOT_FOUND;
}

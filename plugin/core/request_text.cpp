#include "plugin/core/request_text.h"

#include "common/tag_server_contract.h"
#include "rtl/text_routines.h"

std::u16string RequestName(uint32_t dwNumber) { return REQUEST_NAME_PREFIX + IntToText(dwNumber); }

std::u16string RequestText(uint32_t dwNumber, int iCode, std::u16string_view sPath) {
  std::u16string sText = IntToText(dwNumber);
  sText += REQUEST_SEPARATOR;
  sText += IntToText(iCode);
  sText += REQUEST_SEPARATOR;
  sText += sPath;
  return sText;
}

std::u16string AnswerFromBuffer(const char16_t* pBuffer, size_t iUnits) {
  size_t iLength = 0;
  while (iLength < iUnits && pBuffer[iLength] != u'\0') ++iLength;
  return std::u16string(pBuffer, iLength);
}

uint32_t TRequestNumbers::Acquire() {
  uint32_t dwNumber = 1;
  // The set is ordered: walk it while the numbers are contiguous from 1.
  for (uint32_t dwUsed : setInUse) {
    if (dwUsed != dwNumber) break;
    ++dwNumber;
  }
  setInUse.insert(dwNumber);
  return dwNumber;
}

void TRequestNumbers::Release(uint32_t dwNumber) { setInUse.erase(dwNumber); }

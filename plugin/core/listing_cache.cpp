#include "plugin/core/listing_cache.h"

#include <functional>

#include "common/tag_server_contract.h"

std::u16string_view WithoutTrailingBackslash(std::u16string_view sText) {
  if (!sText.empty() && sText.back() == u'\\') sText.remove_suffix(1);
  return sText;
}

TSearchResult::TSearchResult() {
  Delimiter = LISTING_RECORD_SEPARATOR;
  NameValueSeparator = LISTING_NAME_VALUE_SEPARATOR;
}

TListingEntry TSearchResult::Entry(int iIndex) const {
  const std::u16string_view sValue = ValueFromIndex(iIndex);
  return {WithoutTrailingBackslash(Names(iIndex)), sValue.empty(), WithoutTrailingBackslash(sValue)};
}

namespace {

uint64_t KeyHash(std::u16string_view sKey) { return std::hash<std::u16string_view>{}(sKey); }

// The hash bits a slot keeps: never 0, so that a filled slot is never 0 either.
uint64_t SlotTag(uint64_t iHash) { return (iHash >> 32 | 1) << 32; }

std::u16string_view NameKey(const TSearchResult& result, int iIndex) {
  return WithoutTrailingBackslash(result.Names(iIndex));
}

constexpr uint64_t RECORD_MASK = 0xFFFFFFFFu;

}  // namespace

void TNameKeyIndex::Build(const TSearchResult& result) {
  vSlots.clear();
  const size_t iRecords = static_cast<size_t>(result.Count());
  if (iRecords == 0) return;
  size_t iSize = 4;
  while (iSize < 2 * iRecords) iSize *= 2;
  vSlots.assign(iSize, 0);
  const size_t iMask = iSize - 1;
  for (size_t iRecord = 0; iRecord < iRecords; ++iRecord) {
    const std::u16string_view sKey = NameKey(result, static_cast<int>(iRecord));
    const uint64_t iHash = KeyHash(sKey);
    const uint64_t iTag = SlotTag(iHash);
    for (size_t i = iHash & iMask;; i = (i + 1) & iMask) {
      if (vSlots[i] == 0) {
        vSlots[i] = iTag | (iRecord + 1);
        break;
      }
      // An earlier record with the same key keeps the slot: the first wins.
      if ((vSlots[i] & ~RECORD_MASK) == iTag &&
          NameKey(result, static_cast<int>((vSlots[i] & RECORD_MASK) - 1)) == sKey)
        break;
    }
  }
}

int TNameKeyIndex::Find(const TSearchResult& result, std::u16string_view sNameKey) const {
  if (vSlots.empty()) return -1;
  const size_t iMask = vSlots.size() - 1;
  const uint64_t iHash = KeyHash(sNameKey);
  const uint64_t iTag = SlotTag(iHash);
  for (size_t i = iHash & iMask;; i = (i + 1) & iMask) {
    const uint64_t iSlot = vSlots[i];
    if (iSlot == 0) return -1;
    if ((iSlot & ~RECORD_MASK) != iTag) continue;
    const int iRecord = static_cast<int>((iSlot & RECORD_MASK) - 1);
    if (NameKey(result, iRecord) == sNameKey) return iRecord;
  }
}

TSearchData::TSearchData(std::u16string sFolderPath, std::u16string_view sListingText)
    : bActive(true), sPath(std::move(sFolderPath)), pResult(std::make_unique<TSearchResult>()), iCursor(-1) {
  pResult->SetDelimitedText(sListingText);
  iCursor = pResult->Count() > 0 ? 0 : -1;
  NameIndex.Build(*pResult);
}

TSearchDataList::~TSearchDataList() {
  TListLock<TSearchData> lock(*this);
  for (TSearchData* pData : lock.Items()) delete pData;
  lock.Items().clear();
}

int TSearchDataList::Count() {
  TListLock<TSearchData> lock(*this);
  return static_cast<int>(lock.Items().size());
}

bool TSearchDataList::DeleteByPath(std::u16string_view sPath, int& iArchiveCount) {
  TListLock<TSearchData> lock(*this);
  std::vector<TSearchData*>& vItems = lock.Items();
  iArchiveCount = 0;
  bool bRemoved = false;
  size_t iKept = 0;
  for (size_t i = 0; i < vItems.size(); ++i) {
    TSearchData* pData = vItems[i];
    if (!pData->bActive) {
      if (pData->sPath == sPath) {
        delete pData;
        bRemoved = true;
        continue;
      }
      ++iArchiveCount;
    }
    vItems[iKept++] = pData;
  }
  vItems.resize(iKept);
  return bRemoved;
}

bool TSearchDataList::DeleteOldestArchive() {
  TListLock<TSearchData> lock(*this);
  std::vector<TSearchData*>& vItems = lock.Items();
  for (size_t i = 0; i < vItems.size(); ++i) {
    if (!vItems[i]->bActive) {
      delete vItems[i];
      vItems.erase(vItems.begin() + static_cast<std::ptrdiff_t>(i));
      return true;
    }
  }
  return false;
}

// The listing cache: the parsed folder listings (snapshots) of the folders
// the host listed last. An enumeration walks its snapshot record by record;
// path resolution looks names up in every snapshot, open or closed, so the
// host's icon, copy and open calls need no further request to the tag server.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/string_list.h"
#include "rtl/thread_list.h"

// The text less exactly one trailing backslash, without copying it.
std::u16string_view WithoutTrailingBackslash(std::u16string_view sText);

// What one record of a listing stands for, as the enumeration reports it.
struct TListingEntry {
  // The name less one trailing backslash.
  std::u16string_view sName;
  // True for a virtual folder (empty value); otherwise a document.
  bool bFolder;
  // A document's real file: the value less one trailing backslash.
  std::u16string_view sRealPath;
};

// The parsed listing text: one item per record, the name and value split at
// the first U+001F. Records are read strictly, with the quote rules of the
// delimited text, and keep their order; nothing is trimmed or merged.
class TSearchResult : public TStringList {
 public:
  TSearchResult();
  ~TSearchResult() override = default;

  TListingEntry Entry(int iIndex) const;
};

// Maps a name key (a record's name less one trailing backslash) to the first
// record with that key, so that a look-up costs the same for a listing of
// fifty thousand records as for one of five. Open addressing over record
// numbers; the keys are read from the records themselves, nothing is copied.
class TNameKeyIndex {
 public:
  void Build(const TSearchResult& result);
  // The first record whose name key is sNameKey, or -1.
  int Find(const TSearchResult& result, std::u16string_view sNameKey) const;

 private:
  // Each slot: the upper 32 bits of the key's hash above the record number
  // + 1; 0 for an empty slot. A probe reads a record only when the stored
  // hash bits match, so passing other keys' slots touches no record, which
  // in a big listing would each be a cache miss. A power of two in size and
  // at most half full, so a probe sequence stays short.
  std::vector<uint64_t> vSlots;
};

// One listing snapshot. Made by FsFindFirst from the folder path and the tag
// server's answer; pResult and the index never change afterwards, so other
// threads may read them under the cache's lock while the enumerating thread
// moves iCursor without one.
struct TSearchData {
  TSearchData(std::u16string sFolderPath, std::u16string_view sListingText);
  TSearchData(const TSearchData&) = delete;
  TSearchData& operator=(const TSearchData&) = delete;

  // Cleared once, by FsFindClose or by FsFindFirst when nothing was
  // delivered; read by other threads under the cache's lock.
  std::atomic<bool> bActive;
  // The folder path exactly as FsFindFirst received it.
  std::u16string sPath;
  std::unique_ptr<TSearchResult> pResult;
  // The next record FsFindNext examines; -1 for a listing without records.
  int32_t iCursor;
  TNameKeyIndex NameIndex;
};

// The cache itself: snapshots in the order they were added (index 0 the
// oldest), owned by the list. Adding never searches the list. A snapshot is
// freed only while it is inactive, because an active one's handle may still
// be in use on another thread.
class TSearchDataList : public TThreadList<TSearchData> {
 public:
  TSearchDataList() = default;
  ~TSearchDataList() override;
  TSearchDataList(const TSearchDataList&) = delete;
  TSearchDataList& operator=(const TSearchDataList&) = delete;

  // Number of snapshots, active and inactive.
  int Count();
  // Frees every inactive snapshot whose sPath equals sPath exactly and counts
  // the other inactive ones in iArchiveCount. An active snapshot is left in
  // place whatever its path (an enumeration of that folder is still open);
  // a later call frees it once it is inactive. True if any was freed.
  bool DeleteByPath(std::u16string_view sPath, int& iArchiveCount);
  // Frees the oldest inactive snapshot; true if there was one.
  bool DeleteOldestArchive();
};

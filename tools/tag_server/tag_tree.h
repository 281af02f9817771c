// The reference tag server's database and the virtual tree it serves.
//
// The database is a plain text: one document a line, its real path, a tab,
// and its tags separated by ";". Blank lines and lines that begin with "#"
// are skipped.
//
// The tree: the root lists every tag as a folder. A folder \A\B holds the
// documents that carry every tag on its path (A and B), and as subfolders
// the other tags those documents carry, except the tags that every one of
// them carries (a subfolder that would hold the same documents again). So
// each step down narrows the set. A path names a folder only if every step
// is a subfolder listed by the folder above it.
//
// Portable: no <windows.h>; the server's Win32 edge sits in tag_server_main.cpp.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TTaggedDocument {
  std::u16string sRealPath;
  std::vector<int> vTags;  // indexes into TTagDatabase::Tags(), each once
};

// A line of the database that was skipped or taken in part, for the log.
struct TDatabaseProblem {
  int iLine;  // counted from 1
  std::u16string sText;
};

class TTagDatabase {
 public:
  // Reads the database text. Lines are cut at LF, a CR before it is dropped;
  // the path and every tag are trimmed. A line without a tab, with an empty
  // path or with a control character in its path is skipped; a tag that
  // holds a backslash or a control character, or is "." or "..", is left out.
  // Each is reported in vProblems.
  static TTagDatabase Parse(std::u16string_view sText, std::vector<TDatabaseProblem>& vProblems);

  // Every tag, in the order of its first appearance in the database.
  const std::vector<std::u16string>& Tags() const { return vTagNames; }
  const std::vector<TTaggedDocument>& Documents() const { return vDocuments; }
  // Index of the tag with exactly this name, or -1.
  int FindTag(std::u16string_view sName) const;

 private:
  int AddTag(const std::u16string& sName);

  std::vector<std::u16string> vTagNames;
  std::vector<TTaggedDocument> vDocuments;
};

// One entry of a virtual folder: a subfolder (empty value) or a document
// (its name and the full real path it stands for).
struct TListingEntry {
  std::u16string sName;
  std::u16string sValue;
  bool operator==(const TListingEntry& other) const {
    return sName == other.sName && sValue == other.sValue;
  }
};

// The name a document is listed under: the last component of its real path
// (after one trailing backslash is dropped).
std::u16string DocumentName(std::u16string_view sRealPath);

// The entries of the virtual folder at sPath (a lone backslash or the empty
// text for the root; one trailing backslash allowed): subfolders first in tag
// order, then documents in database order. None when the path names no folder.
std::optional<std::vector<TListingEntry>> FolderListing(const TTagDatabase& database, std::u16string_view sPath);

// What sPath names: empty for a virtual folder, the real path for a
// document (the first entry of that name in its folder), RR_INVALID_PATH for
// nothing.
std::u16string RealPathAnswer(const TTagDatabase& database, std::u16string_view sPath);

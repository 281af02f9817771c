#include "tools/tag_server/tag_tree.h"

#include <algorithm>

#include "common/tag_server_contract.h"
#include "rtl/text_routines.h"

namespace {

bool HasControlCharacter(std::u16string_view sText) {
  return std::any_of(sText.begin(), sText.end(), [](char16_t c) { return c < u' '; });
}

// Why a tag cannot be a folder name, or empty when it can.
std::u16string TagProblem(std::u16string_view sTag) {
  if (sTag.find(u'\\') != std::u16string_view::npos) return u"a backslash";
  if (HasControlCharacter(sTag)) return u"a control character";
  if (sTag == u"." || sTag == u"..") return u"a name the file manager keeps for itself";
  return {};
}

// The components of a virtual folder path; none when it is not one.
std::optional<std::vector<std::u16string_view>> SplitFolderPath(std::u16string_view sPath) {
  std::vector<std::u16string_view> vParts;
  if (sPath.empty() || sPath == u"\\") return vParts;
  if (sPath.front() != u'\\') return std::nullopt;
  sPath.remove_prefix(1);
  if (!sPath.empty() && sPath.back() == u'\\') sPath.remove_suffix(1);
  for (;;) {
    const size_t iAt = sPath.find(u'\\');
    const std::u16string_view sPart = sPath.substr(0, iAt);
    if (sPart.empty()) return std::nullopt;
    vParts.push_back(sPart);
    if (iAt == std::u16string_view::npos) return vParts;
    sPath.remove_prefix(iAt + 1);
  }
}

// The subfolders of a folder below the root that holds these documents and
// whose path carries these tags: tag indexes in tag order.
std::vector<int> Subfolders(const TTagDatabase& database, const std::vector<const TTaggedDocument*>& vDocuments,
                            const std::vector<bool>& vOnPath) {
  std::vector<size_t> vCarriers(database.Tags().size(), 0);
  for (const TTaggedDocument* pDocument : vDocuments)
    for (int iTag : pDocument->vTags) ++vCarriers[static_cast<size_t>(iTag)];
  std::vector<int> vResult;
  for (size_t iTag = 0; iTag < vCarriers.size(); ++iTag)
    if (!vOnPath[iTag] && vCarriers[iTag] > 0 && vCarriers[iTag] < vDocuments.size())
      vResult.push_back(static_cast<int>(iTag));
  return vResult;
}

bool Carries(const TTaggedDocument& document, int iTag) {
  return std::find(document.vTags.begin(), document.vTags.end(), iTag) != document.vTags.end();
}

}  // namespace

int TTagDatabase::FindTag(std::u16string_view sName) const {
  const auto it = std::find(vTagNames.begin(), vTagNames.end(), sName);
  return it == vTagNames.end() ? -1 : static_cast<int>(it - vTagNames.begin());
}

int TTagDatabase::AddTag(const std::u16string& sName) {
  const int iFound = FindTag(sName);
  if (iFound >= 0) return iFound;
  vTagNames.push_back(sName);
  return static_cast<int>(vTagNames.size()) - 1;
}

TTagDatabase TTagDatabase::Parse(std::u16string_view sText, std::vector<TDatabaseProblem>& vProblems) {
  TTagDatabase database;
  if (!sText.empty() && sText.front() == u'\xFEFF') sText.remove_prefix(1);
  int iLine = 0;
  while (!sText.empty()) {
    ++iLine;
    const size_t iEnd = sText.find(u'\n');
    std::u16string_view sLine = sText.substr(0, iEnd);
    sText.remove_prefix(iEnd == std::u16string_view::npos ? sText.size() : iEnd + 1);
    if (!sLine.empty() && sLine.back() == u'\r') sLine.remove_suffix(1);
    if (Trim(sLine).empty() || sLine.front() == u'#') continue;

    const size_t iTab = sLine.find(u'\t');
    if (iTab == std::u16string_view::npos) {
      vProblems.push_back({iLine, u"no tab between the path and the tags; line skipped"});
      continue;
    }
    TTaggedDocument document;
    document.sRealPath = Trim(sLine.substr(0, iTab));
    if (document.sRealPath.empty() || DocumentName(document.sRealPath).empty()) {
      vProblems.push_back({iLine, u"no file path before the tab; line skipped"});
      continue;
    }
    if (HasControlCharacter(document.sRealPath)) {
      vProblems.push_back({iLine, u"a control character in the path; line skipped"});
      continue;
    }
    std::u16string_view sTags = sLine.substr(iTab + 1);
    while (true) {
      const size_t iSemicolon = sTags.find(u';');
      const std::u16string sTag = Trim(sTags.substr(0, iSemicolon));
      if (!sTag.empty()) {
        const std::u16string sProblem = TagProblem(sTag);
        if (!sProblem.empty()) {
          vProblems.push_back({iLine, u"tag \"" + sTag + u"\" holds " + sProblem + u"; tag left out"});
        } else {
          const int iTag = database.AddTag(sTag);
          if (!Carries(document, iTag)) document.vTags.push_back(iTag);
        }
      }
      if (iSemicolon == std::u16string_view::npos) break;
      sTags.remove_prefix(iSemicolon + 1);
    }
    if (document.vTags.empty())
      vProblems.push_back({iLine, u"no tags: the document appears in no folder"});
    database.vDocuments.push_back(std::move(document));
  }
  return database;
}

std::u16string DocumentName(std::u16string_view sRealPath) {
  const std::u16string sPath = ExcludeTrailingBackslash(sRealPath);
  const size_t iAt = sPath.find_last_of(u"\\/:");
  return iAt == std::u16string::npos ? sPath : sPath.substr(iAt + 1);
}

std::optional<std::vector<TListingEntry>> FolderListing(const TTagDatabase& database, std::u16string_view sPath) {
  const auto vParts = SplitFolderPath(sPath);
  if (!vParts) return std::nullopt;
  std::vector<TListingEntry> vEntries;
  if (vParts->empty()) {
    for (const std::u16string& sTag : database.Tags()) vEntries.push_back({sTag, {}});
    return vEntries;
  }

  // Walk down from the root; every step must be a subfolder listed above it.
  std::vector<bool> vOnPath(database.Tags().size(), false);
  std::vector<const TTaggedDocument*> vDocuments;
  for (const TTaggedDocument& document : database.Documents()) vDocuments.push_back(&document);
  for (size_t iStep = 0; iStep < vParts->size(); ++iStep) {
    const int iTag = database.FindTag((*vParts)[iStep]);
    if (iTag < 0) return std::nullopt;
    if (iStep > 0) {
      const std::vector<int> vListed = Subfolders(database, vDocuments, vOnPath);
      if (std::find(vListed.begin(), vListed.end(), iTag) == vListed.end()) return std::nullopt;
    }
    vOnPath[static_cast<size_t>(iTag)] = true;
    vDocuments.erase(std::remove_if(vDocuments.begin(), vDocuments.end(),
                                    [iTag](const TTaggedDocument* p) { return !Carries(*p, iTag); }),
                     vDocuments.end());
    // A tag that no document carries (only possible at the first step) names nothing.
    if (vDocuments.empty()) return std::nullopt;
  }

  for (int iTag : Subfolders(database, vDocuments, vOnPath))
    vEntries.push_back({database.Tags()[static_cast<size_t>(iTag)], {}});
  for (const TTaggedDocument* pDocument : vDocuments)
    vEntries.push_back({DocumentName(pDocument->sRealPath), pDocument->sRealPath});
  return vEntries;
}

std::u16string RealPathAnswer(const TTagDatabase& database, std::u16string_view sPath) {
  if (FolderListing(database, sPath)) return {};
  std::u16string_view sItem = sPath;
  if (!sItem.empty() && sItem.back() == u'\\') sItem.remove_suffix(1);
  const size_t iAt = sItem.rfind(u'\\');
  if (iAt == std::u16string_view::npos) return RR_INVALID_PATH;
  const std::u16string_view sFolder = iAt == 0 ? sItem.substr(0, 1) : sItem.substr(0, iAt);
  const std::u16string_view sName = sItem.substr(iAt + 1);
  const auto vEntries = FolderListing(database, sFolder);
  if (!vEntries || sName.empty()) return RR_INVALID_PATH;
  for (const TListingEntry& entry : *vEntries)
    if (entry.sName == sName) return entry.sValue;
  return RR_INVALID_PATH;
}

#include "tools/tag_server/tag_answers.h"

#include "common/tag_server_contract.h"
#include "rtl/text_routines.h"

namespace {

// A decimal number of digits only; none when it is empty, holds anything
// else or exceeds the limit.
std::optional<uint64_t> Decimal(std::u16string_view sText, uint64_t iLimit) {
  if (sText.empty()) return std::nullopt;
  uint64_t iValue = 0;
  for (char16_t c : sText) {
    if (c < u'0' || c > u'9') return std::nullopt;
    iValue = iValue * 10 + static_cast<uint64_t>(c - u'0');
    if (iValue > iLimit) return std::nullopt;
  }
  return iValue;
}

std::u16string Count(size_t iCount, std::u16string_view sOne, std::u16string_view sMany) {
  return IntToText(static_cast<int64_t>(iCount)) + u" " + std::u16string(iCount == 1 ? sOne : sMany);
}

std::u16string Quoted(std::u16string_view sPath) { return u"\"" + std::u16string(sPath) + u"\""; }

}  // namespace

std::optional<TTagRequest> ParseRequest(std::u16string_view sText) {
  const size_t iFirst = sText.find(REQUEST_SEPARATOR);
  if (iFirst == std::u16string_view::npos) return std::nullopt;
  const size_t iSecond = sText.find(REQUEST_SEPARATOR, iFirst + 1);
  if (iSecond == std::u16string_view::npos) return std::nullopt;
  const auto iNumber = Decimal(sText.substr(0, iFirst), UINT32_MAX);
  const auto iCode = Decimal(sText.substr(iFirst + 1, iSecond - iFirst - 1), INT32_MAX);
  if (!iNumber || *iNumber == 0 || !iCode) return std::nullopt;
  return TTagRequest{static_cast<uint32_t>(*iNumber), static_cast<int>(*iCode),
                     std::u16string(sText.substr(iSecond + 1))};
}

std::u16string ListingRecord(const TListingEntry& entry) {
  const std::u16string sRecord = entry.sName + LISTING_NAME_VALUE_SEPARATOR + entry.sValue;
  if (sRecord.front() != u'"' && sRecord.find(LISTING_RECORD_SEPARATOR) == std::u16string::npos) return sRecord;
  return u"\"" + ReplaceAll(sRecord, u"\"", u"\"\"") + u"\"";
}

TListingText MakeListingText(const std::vector<TListingEntry>& vEntries, size_t iMaxUnits) {
  TListingText listing;
  for (const TListingEntry& entry : vEntries) {
    const std::u16string sRecord = ListingRecord(entry);
    const size_t iNeeded = sRecord.size() + (listing.iRecords > 0 ? 1 : 0);
    if (listing.iDropped > 0 || listing.sText.size() + iNeeded > iMaxUnits) {
      ++listing.iDropped;
      continue;
    }
    if (listing.iRecords > 0) listing.sText += LISTING_RECORD_SEPARATOR;
    listing.sText += sRecord;
    ++listing.iRecords;
  }
  return listing;
}

TServedAnswer AnswerRequest(const TTagDatabase& database, const TTagRequest& request, int iClickAction,
                            size_t iMaxUnits) {
  const std::u16string sHead = u"request " + IntToText(request.dwNumber) + u": ";
  const std::u16string sPath = Quoted(request.sPath);
  TServedAnswer answer;
  switch (request.iCode) {
    case REQUEST_LISTING: {
      const auto vEntries = FolderListing(database, request.sPath);
      if (!vEntries) {
        answer.sText = RR_INVALID_PATH;
        answer.sLog = sHead + u"listing of " + sPath + u": no such folder, answered RR_INVALID_PATH";
        break;
      }
      size_t iFolders = 0;
      for (const TListingEntry& entry : *vEntries) iFolders += entry.sValue.empty();
      const TListingText listing = MakeListingText(*vEntries, iMaxUnits);
      answer.sText = listing.sText;
      answer.sLog = sHead + u"listing of " + sPath + u": " + Count(iFolders, u"folder", u"folders") + u", " +
                    Count(vEntries->size() - iFolders, u"document", u"documents");
      if (listing.iDropped > 0)
        answer.sLog += u"; CUT to the first " + Count(listing.iRecords, u"record", u"records") + u" (" +
                       IntToText(static_cast<int64_t>(listing.sText.size())) + u" characters), " +
                       Count(listing.iDropped, u"record", u"records") + u" would pass the answer buffer";
      break;
    }
    case REQUEST_REAL_PATH: {
      answer.sText = RealPathAnswer(database, request.sPath);
      const std::u16string sWhat = answer.sText.empty()                 ? u"a virtual folder"
                                   : answer.sText == RR_INVALID_PATH ? u"nothing, answered RR_INVALID_PATH"
                                                                        : Quoted(answer.sText);
      answer.sLog = sHead + u"real path of " + sPath + u": " + sWhat;
      break;
    }
    case REQUEST_CLICK_ACTION:
      answer.sText = IntToText(iClickAction);
      answer.sLog = sHead + u"click on " + sPath + u": action " + answer.sText +
                    (iClickAction == 1 ? u" (show its real folder)" : u" (open with its program)");
      break;
    default:
      answer.sText = RR_INVALID_PATH;
      answer.sLog = sHead + u"unknown request code " + IntToText(request.iCode) + u" for " + sPath +
                    u", answered RR_INVALID_PATH";
      break;
  }
  return answer;
}

std::u16string DescribeMessage(uintptr_t dwCode, std::u16string_view sText) {
  const std::u16string sCode = u"code " + IntToText(static_cast<int64_t>(dwCode));
  switch (dwCode) {
    case MSG_CODE_PATH_T:
      return sCode + u" (path, mode t): " + Quoted(sText);
    case MSG_CODE_PATH_S:
      return sCode + u" (path, mode s): " + Quoted(sText);
    case MSG_CODE_WATCHED_FOLDER:
      return sCode + u" (current folder of a watched process): " + Quoted(sText);
    default:
      return sCode + u" (not a code this server knows): " + Quoted(sText);
  }
}

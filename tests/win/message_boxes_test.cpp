// The plugin's message boxes as the user sees them: caption, text, the
// interface language, and the system's own texts for error codes.
#include <gtest/gtest.h>

#include <thread>

#include "common/messages.h"
#include "plugin/win/global_state.h"
#include "plugin/win/message_boxes.h"
#include "tests/harness/message_box_recorder.h"

namespace {

TRecordedBox OnlyBox(TMessageBoxRecorder& boxes) {
  EXPECT_TRUE(boxes.WaitForBoxes(1));
  const auto vBoxes = boxes.Boxes();
  EXPECT_EQ(vBoxes.size(), 1u);
  boxes.Clear();
  return vBoxes.empty() ? TRecordedBox{} : vBoxes[0];
}

std::wstring SystemText(DWORD dwCode) {
  wchar_t* pText = nullptr;
  const DWORD dwCount =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                     nullptr, dwCode, 0, reinterpret_cast<wchar_t*>(&pText), 0, nullptr);
  std::wstring sText(pText ? pText : L"", dwCount);
  LocalFree(pText);
  return sText;
}

constexpr DWORD CODE_WITHOUT_TEXT = 0x2000FFFF;

}  // namespace

TEST(MessageBoxes, PluginMessageShowsDetailColonMessageInTheChosenLanguage) {
  TMessageBoxRecorder boxes;
  const struct {
    int iLang;
    std::u16string sDetail;
    std::wstring sText;
  } cases[] = {
      {1, u"C:\\Docs", L"C:\\Docs: Can't go to folder"},
      {0, u"C:\\Docs", L"C:\\Docs: Невозможно перейти в папку"},
      {1, u"", L"Can't go to folder"},
      {1, u"  ", L"  : Can't go to folder"},
      {2, u"", L"Невозможно перейти в папку"},
  };
  for (const auto& c : cases) {
    LangID = c.iLang;
    ShowPluginMessage(PluginMessage(MSG_CANT_GO_TO_FOLDER), u"Brackenfold::FsFindFirst", c.sDetail);
    const TRecordedBox box = OnlyBox(boxes);
    EXPECT_EQ(box.sCaption, L"Quillery: Brackenfold::FsFindFirst");
    EXPECT_EQ(box.sText, c.sText);
  }
  LangID = 0;
}

TEST(MessageBoxes, EmptyContextAndEmptyTextsStillGiveACaption) {
  TMessageBoxRecorder boxes;
  ShowPluginMessage(u"", u"", u"");
  const TRecordedBox box = OnlyBox(boxes);
  EXPECT_EQ(box.sCaption, L"Quillery: ");
  EXPECT_EQ(box.sText, L"");
}

TEST(MessageBoxes, SystemErrorShowsTheSystemTextWhateverTheLanguage) {
  TMessageBoxRecorder boxes;
  const std::wstring sSystem = SystemText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(sSystem.empty());
  for (int iLang : {0, 1}) {
    LangID = iLang;
    ShowSystemError(ERROR_FILE_NOT_FOUND, u"VfsP::FsGetFile", u"CopyFile");
    const TRecordedBox box = OnlyBox(boxes);
    EXPECT_EQ(box.sCaption, L"Quillery: VfsP::FsGetFile");
    // The system's text exactly as returned, line break included.
    EXPECT_EQ(box.sText, L"CopyFile: " + sSystem);
  }
  LangID = 0;
}

TEST(MessageBoxes, CodeWithoutSystemTextShowsRowZero) {
  TMessageBoxRecorder boxes;
  ASSERT_TRUE(SystemText(CODE_WITHOUT_TEXT).empty());
  LangID = 1;
  ShowSystemError(CODE_WITHOUT_TEXT, u"GetOmbrixData", u"CreateEvent");
  EXPECT_EQ(OnlyBox(boxes).sText, L"CreateEvent: There is no text message for this error code");
  LangID = 0;
  ShowSystemError(CODE_WITHOUT_TEXT, u"GetOmbrixData", u"");
  EXPECT_EQ(OnlyBox(boxes).sText, L"Текстовое сообщение для данного кода ошибки отсутствует");
}

TEST(MessageBoxes, BoxBlocksOnlyTheThreadThatShowsIt) {
  TMessageBoxRecorder boxes;
  boxes.SetHolding(true);
  bool bReturned = false;
  std::thread thBox([&] {
    ShowPluginMessage(u"held", u"ctx", u"");
    bReturned = true;
  });
  ASSERT_TRUE(boxes.WaitForBoxes(1));
  // Another thread shows its own box meanwhile.
  boxes.SetHolding(false);
  ShowPluginMessage(u"second", u"ctx", u"");
  EXPECT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_FALSE(bReturned);
  boxes.ReleaseHeld();
  thBox.join();
  EXPECT_TRUE(bReturned);
  const auto vBoxes = boxes.Boxes();
  EXPECT_NE(vBoxes[0].dwThreadId, vBoxes[1].dwThreadId);
}

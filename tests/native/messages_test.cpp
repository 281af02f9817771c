#include "common/messages.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "plugin/core/message_text.h"

TEST(MessageTable, EveryCellHasText) {
  for (int iRow = 0; iRow < MESSAGE_ROWS; ++iRow)
    for (int iLang = 0; iLang < 2; ++iLang) {
      ASSERT_NE(MESSAGES[iRow][iLang], nullptr);
      EXPECT_NE(MESSAGES[iRow][iLang][0], u'\0') << iRow << "/" << iLang;
    }
}

TEST(MessageTable, RowsShownByThePluginReadAsGiven) {
  EXPECT_EQ(std::u16string(MESSAGES[9][1]), u"\"Event\" kernel object already exists");
  EXPECT_EQ(std::u16string(MESSAGES[13][1]), u"Path length can't be more than MAX_PATH-1 = 259 characters");
  EXPECT_EQ(std::u16string(MESSAGES[16][1]),
            u"The code received \"shell execute operation code\" is not an integer number");
  EXPECT_EQ(std::u16string(MESSAGES[17][0]), u"Виртуальная файлвая система доступна только для чтения");
  EXPECT_EQ(std::u16string(MESSAGES[12][0]), u"Невозможно перейти в папку");
  EXPECT_EQ(std::u16string(MESSAGES[63][1]),
            u"Interface language was changed. To apply changes please restart \"Total Commander\" и \"OmbrixP\"");
}

TEST(MessageTable, AboutTextHasItsFiveParts) {
  for (int iLang = 0; iLang < 2; ++iLang) {
    const std::u16string sAbout = MESSAGES[53][iLang];
    EXPECT_EQ(sAbout.rfind(u"Quillery ", 0), 0u);
    EXPECT_NE(sAbout.find(u"32"), std::u16string::npos);
    EXPECT_EQ(std::count(sAbout.begin(), sAbout.end(), u'\n'), 5);
    EXPECT_NE(sAbout.find(u"\n\n"), std::u16string::npos);
    EXPECT_EQ(sAbout.find(u'\r'), std::u16string::npos);
  }
}

TEST(MessageTable, LanguagesOtherThanEnglishReadColumnZero) {
  EXPECT_EQ(MessageText(8, 1), std::u16string(u"Path not found"));
  EXPECT_EQ(MessageText(8, 0), std::u16string(u"Путь не найден"));
  EXPECT_EQ(MessageText(8, 2), std::u16string(u"Путь не найден"));
  EXPECT_EQ(MessageText(8, -1), std::u16string(u"Путь не найден"));
}

TEST(MessageWording, DetailComesBeforeTheMessage) {
  EXPECT_EQ(MessageCaption(u"Brackenfold::FsFindFirst"), u"Quillery: Brackenfold::FsFindFirst");
  EXPECT_EQ(MessageCaption(u""), u"Quillery: ");
  EXPECT_EQ(MessageBoxText(u"C:\\Docs", u"Can't go to folder"), u"C:\\Docs: Can't go to folder");
  EXPECT_EQ(MessageBoxText(u"", u"Can't go to folder"), u"Can't go to folder");
  EXPECT_EQ(MessageBoxText(u" ", u"m"), u" : m");
  EXPECT_EQ(MessageBoxText(u"", u""), u"");
}

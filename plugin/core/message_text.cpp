#include "plugin/core/message_text.h"

std::u16string MessageCaption(std::u16string_view sContext) {
  std::u16string sCaption = u"Quillery: ";
  sCaption += sContext;
  return sCaption;
}

std::u16string MessageBoxText(std::u16string_view sDetail, std::u16string_view sMessage) {
  std::u16string sText(sDetail);
  if (!sText.empty()) sText += u": ";
  sText += sMessage;
  return sText;
}

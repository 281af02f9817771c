// The plugin's two ways of telling the user about a failure: a plain,
// ownerless message box with a text of the message table, or with the
// system's own text for an error code. Both block only the calling thread.
#pragma once

#include <cstdint>
#include <string>

void ShowPluginMessage(std::u16string sMessage, std::u16string sContext, std::u16string sDetail);
void ShowSystemError(uint32_t dwErrorCode, std::u16string sContext, std::u16string sDetail);

// The text of a message-table row in the current interface language.
const char16_t* PluginMessage(int iRow);

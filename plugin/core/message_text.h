// How a message box of the plugin is worded: the caption names the failing
// operation, the text puts the detail (when there is one) before the message.
#pragma once

#include <string>
#include <string_view>

// "Quillery: " followed by the context.
std::u16string MessageCaption(std::u16string_view sContext);
// The detail, ": " and the message; the message alone when the detail is empty.
std::u16string MessageBoxText(std::u16string_view sDetail, std::u16string_view sMessage);

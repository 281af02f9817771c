// The request channel: the plugin's only way to put a question to the tag
// server. Each request gets a number, its own named event and 10 MiB named
// mapping; the server writes the answer into the mapping and sets the event.
#pragma once

#include <string>

// Sends the path with the request code and waits up to one second for the
// answer. True with the answer copied out; false after the failure has been
// shown to the user, with sAnswer unchanged. Lets no exception out.
bool GetOmbrixData(std::u16string sPath, std::u16string& sAnswer, int iCode);

// The bilingual message table: 65 rows, column 0 Russian, column 1 English.
// Shared read-only by all threads; never changed at run time.
#pragma once

inline constexpr int MESSAGE_ROWS = 65;
inline constexpr int LANGID_RUSSIAN = 0;
inline constexpr int LANGID_ENGLISH = 1;

extern const char16_t* const MESSAGES[MESSAGE_ROWS][2];

// Rows that the plugin shows.
inline constexpr int MSG_NO_SYSTEM_TEXT = 0;
inline constexpr int MSG_PATH_NOT_FOUND = 8;
inline constexpr int MSG_EVENT_EXISTS = 9;
inline constexpr int MSG_FILE_MAPPING_EXISTS = 10;
inline constexpr int MSG_NO_DATA_FROM_SERVER = 11;
inline constexpr int MSG_CANT_GO_TO_FOLDER = 12;
inline constexpr int MSG_PATH_TOO_LONG = 13;
inline constexpr int MSG_BACKGROUND_REQUEST = 14;
inline constexpr int MSG_DOCUMENT_OUT_OF_DATE = 15;
inline constexpr int MSG_ACTION_NOT_INTEGER = 16;
inline constexpr int MSG_READ_ONLY = 17;

// The text of a row in a language; a language other than 0 and 1 reads column 0.
const char16_t* MessageText(int iRow, int iLangID);

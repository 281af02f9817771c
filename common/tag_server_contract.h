// What the three deliverables and the tag server agree on: the server's
// window class, the WM_COPYDATA message codes, the request codes, the names
// of the per-request kernel objects and the marker texts of the answers.
// docs/protocol.md describes the same contract for people who write a server.
#pragma once

#include <cstdint>

// The tag server's main window, found by class alone.
inline constexpr char16_t TAG_SERVER_WINDOW_CLASS[] = u"TTagsForm";
// The file manager's main window, found by class alone.
inline constexpr char16_t HOST_WINDOW_CLASS[] = u"TTOTAL_CMD";

// dwData of the WM_COPYDATA messages sent to the tag server.
inline constexpr uintptr_t MSG_CODE_PATH_T = 1;        // path sender, mode letter "t"
inline constexpr uintptr_t MSG_CODE_PATH_S = 2;        // path sender, mode letter "s"
inline constexpr uintptr_t MSG_CODE_WATCHED_FOLDER = 10;  // folder watcher
inline constexpr uintptr_t MSG_CODE_REQUEST = 20;      // plugin request

// Request codes inside a plugin request.
inline constexpr int REQUEST_LISTING = 10;
inline constexpr int REQUEST_REAL_PATH = 30;
inline constexpr int REQUEST_CLICK_ACTION = 40;

// A request text is: number, separator, request code, separator, path.
inline constexpr char16_t REQUEST_SEPARATOR = u'\x1E';
// Listing text: records separated by U+001E, name and value by U+001F.
inline constexpr char16_t LISTING_RECORD_SEPARATOR = u'\x1E';
inline constexpr char16_t LISTING_NAME_VALUE_SEPARATOR = u'\x1F';

// Names of the per-request objects: prefix + REQUEST_NAME_PREFIX + number.
inline constexpr char16_t REQUEST_NAME_PREFIX[] = u"VFS_REQUEST_";
inline constexpr char16_t EVENT_NAME_PREFIX[] = u"EVENT_";
inline constexpr char16_t FILE_MAPPING_NAME_PREFIX[] = u"FILE_MAPPING_";

// Size of the answer buffer of every request.
inline constexpr uint32_t DW_FILE_MAPPING_SIZE = 0xA00000;
// How long the plugin waits for the answer after the send has returned.
inline constexpr uint32_t DW_ANSWER_TIMEOUT_MS = 1000;

// Answer for a path that names no item.
inline constexpr char16_t RR_INVALID_PATH[] = u"RR_INVALID_PATH";

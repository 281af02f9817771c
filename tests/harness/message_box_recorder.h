// The message-box recorder lives in tools/, since the command-line plugin
// host uses it as well; the tests reach it through this header.
#pragma once

#include "tools/message_boxes/message_box_recorder.h"

// Copying a document out of the virtual tree into a real folder: the work
// behind FsGetFile, with the system's copy as a parameter. FsGetFile passes
// CopyFileExW; a test passes a copy that ends the way a cancel from the host
// ends, which the test machine's own copy cannot be made to do (it never
// calls its progress routine).
#pragma once

#include "plugin/win/copy_progress.h"

// FsGetFile's result for these arguments, copying with pCopyFileEx. May
// throw; FsGetFile turns that into its failure value.
int GetFileWith(TCopyFileEx pCopyFileEx, char* RemoteName, char* LocalName, int CopyFlags);

// The watcher thread: looks at the host's current folder every 500 ms and
// sends each new folder to the tag server with code 10. It never ends on its
// own, shares nothing with the host's threads and takes no lock.
#pragma once

unsigned __stdcall WatchCurrentFolder(void* pUnused);

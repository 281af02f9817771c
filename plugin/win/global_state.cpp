#include "plugin/win/global_state.h"

std::unique_ptr<TSearchDataList> SearchDataList;
int iPluginNr = 0;
tProgressProc pProgressProc = nullptr;
// Constructed when the library is loaded, so it exists exactly once however
// often FsInit runs, and no thread can hold it while it is initialised.
TCriticalSection csOmbrixRequest;
uint32_t dwOmbrixReqCount = 0;
int32_t LangID = 0;
HWND hHostWindow = nullptr;

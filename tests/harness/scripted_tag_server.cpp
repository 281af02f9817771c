#include "tests/harness/scripted_tag_server.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "common/tag_server_contract.h"
#include "common/win_text.h"
#include "plugin/core/request_text.h"

namespace {

constexpr UINT WM_STOP_SERVER = WM_APP + 1;

TReceivedRequest ParseRequest(const std::u16string& sText) {
  TReceivedRequest request{0, 0, {}};
  const size_t iFirst = sText.find(REQUEST_SEPARATOR);
  const size_t iSecond = iFirst == sText.npos ? sText.npos : sText.find(REQUEST_SEPARATOR, iFirst + 1);
  if (iSecond == sText.npos) return request;
  request.dwNumber = static_cast<uint32_t>(std::stoul(std::string(sText.begin(), sText.begin() + iFirst)));
  request.iCode = std::stoi(std::string(sText.begin() + iFirst + 1, sText.begin() + iSecond));
  request.sPath = sText.substr(iSecond + 1);
  return request;
}

// Writes the answer into the request's mapping and sets its event, as a
// server does; a request whose objects are gone is left alone.
void WriteAnswer(uint32_t dwNumber, TServerFault fault, const std::u16string& sAnswer) {
  if (fault == TServerFault::NO_ANSWER) return;
  const std::u16string sName = RequestName(dwNumber);
  if (fault != TServerFault::EVENT_WITHOUT_ANSWER) {
    HANDLE hMapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, AsWide(FILE_MAPPING_NAME_PREFIX + sName));
    if (!hMapping) return;
    if (void* pView = MapViewOfFile(hMapping, FILE_MAP_WRITE, 0, 0, 0)) {
      char16_t* pText = static_cast<char16_t*>(pView);
      const size_t iUnits = DW_FILE_MAPPING_SIZE / sizeof(char16_t);
      if (fault == TServerFault::FILL_WITHOUT_NUL) {
        std::fill(pText, pText + iUnits, u'A');
      } else {
        const size_t iCopy = std::min(sAnswer.size(), iUnits - 1);
        std::copy(sAnswer.begin(), sAnswer.begin() + iCopy, pText);
        pText[iCopy] = u'\0';
      }
      UnmapViewOfFile(pView);
    }
    CloseHandle(hMapping);
  }
  if (HANDLE hEvent = OpenEventW(EVENT_MODIFY_STATE, FALSE, AsWide(EVENT_NAME_PREFIX + sName))) {
    SetEvent(hEvent);
    CloseHandle(hEvent);
  }
}

}  // namespace

struct TScriptedTagServer::TState {
  mutable std::mutex mtx;
  mutable std::condition_variable cvChanged;
  std::map<std::pair<int, std::u16string>, std::u16string> mapAnswers;
  std::map<int, std::u16string> mapDefaults;
  std::set<std::u16string> setHeldPaths;
  std::vector<TReceivedRequest> vHeld;
  TServerFault fault = TServerFault::NONE;
  DWORD dwAnswerDelay = 0;
  DWORD dwHoldInSend = 0;
  std::vector<TReceivedMessage> vMessages;
  std::vector<TReceivedRequest> vRequests;
  size_t iDelayedPending = 0;
  bool bStopping = false;
  std::vector<std::thread> vDelayed;
  HWND hWindow = nullptr;
  std::thread thWindow;

  std::u16string AnswerFor(const TReceivedRequest& request) const {
    auto it = mapAnswers.find({request.iCode, request.sPath});
    if (it != mapAnswers.end()) return it->second;
    auto itDefault = mapDefaults.find(request.iCode);
    return itDefault != mapDefaults.end() ? itDefault->second : std::u16string(RR_INVALID_PATH);
  }

  void OnCopyData(const COPYDATASTRUCT& cds) {
    DWORD dwHold;
    {
      std::lock_guard<std::mutex> lock(mtx);
      dwHold = dwHoldInSend;
    }
    if (dwHold) Sleep(dwHold);

    TReceivedMessage message{cds.dwData, cds.cbData, {}};
    if (cds.lpData)
      message.sText = AnswerFromBuffer(static_cast<const char16_t*>(cds.lpData), cds.cbData / sizeof(char16_t));
    std::unique_lock<std::mutex> lock(mtx);
    vMessages.push_back(message);
    if (cds.dwData == MSG_CODE_REQUEST) {
      const TReceivedRequest request = ParseRequest(message.sText);
      vRequests.push_back(request);
      if (setHeldPaths.count(request.sPath)) {
        vHeld.push_back(request);
      } else if (dwAnswerDelay == 0) {
        WriteAnswer(request.dwNumber, fault, AnswerFor(request));
      } else {
        ++iDelayedPending;
        vDelayed.emplace_back([this, request, dwDelay = dwAnswerDelay] {
          std::unique_lock<std::mutex> delayLock(mtx);
          if (!cvChanged.wait_for(delayLock, std::chrono::milliseconds(dwDelay), [this] { return bStopping; }))
            WriteAnswer(request.dwNumber, fault, AnswerFor(request));
          --iDelayedPending;
          cvChanged.notify_all();
        });
      }
    }
    cvChanged.notify_all();
  }

  static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_COPYDATA) {
      auto* pSelf = reinterpret_cast<TState*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
      if (pSelf) pSelf->OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      return TRUE;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
  }

  void RunWindow(HANDLE hReady) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = AsWide(TAG_SERVER_WINDOW_CLASS);
    RegisterClassW(&wc);  // fails harmlessly when an earlier server registered it
    // A hidden top-level window: FindWindow finds it, message-only windows it does not.
    hWindow = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                              wc.hInstance, nullptr);
    SetWindowLongPtrW(hWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetEvent(hReady);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == WM_STOP_SERVER) break;
      DispatchMessageW(&msg);
    }
    DestroyWindow(hWindow);
  }
};

TScriptedTagServer::TScriptedTagServer() : pState(new TState) {
  HANDLE hReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  pState->thWindow = std::thread([this, hReady] { pState->RunWindow(hReady); });
  WaitForSingleObject(hReady, INFINITE);
  CloseHandle(hReady);
}

TScriptedTagServer::~TScriptedTagServer() {
  {
    std::lock_guard<std::mutex> lock(pState->mtx);
    pState->bStopping = true;
    pState->cvChanged.notify_all();
  }
  for (std::thread& th : pState->vDelayed) th.join();
  PostMessageW(pState->hWindow, WM_STOP_SERVER, 0, 0);
  pState->thWindow.join();
  delete pState;
}

HWND TScriptedTagServer::Window() const { return pState->hWindow; }

void TScriptedTagServer::SetAnswer(int iCode, const std::u16string& sPath, const std::u16string& sAnswer) {
  std::lock_guard<std::mutex> lock(pState->mtx);
  pState->mapAnswers[{iCode, sPath}] = sAnswer;
}

void TScriptedTagServer::SetDefaultAnswer(int iCode, const std::u16string& sAnswer) {
  std::lock_guard<std::mutex> lock(pState->mtx);
  pState->mapDefaults[iCode] = sAnswer;
}

void TScriptedTagServer::SetFault(TServerFault fault) {
  std::lock_guard<std::mutex> lock(pState->mtx);
  pState->fault = fault;
}

void TScriptedTagServer::SetAnswerDelay(DWORD dwMs) {
  std::lock_guard<std::mutex> lock(pState->mtx);
  pState->dwAnswerDelay = dwMs;
}

void TScriptedTagServer::SetHoldInSend(DWORD dwMs) {
  std::lock_guard<std::mutex> lock(pState->mtx);
  pState->dwHoldInSend = dwMs;
}

void TScriptedTagServer::HoldAnswersFor(const std::u16string& sPath) {
  std::lock_guard<std::mutex> lock(pState->mtx);
  pState->setHeldPaths.insert(sPath);
}

void TScriptedTagServer::ReleaseAnswersFor(const std::u16string& sPath) {
  std::lock_guard<std::mutex> lock(pState->mtx);
  pState->setHeldPaths.erase(sPath);
  auto& vHeld = pState->vHeld;
  for (auto it = vHeld.begin(); it != vHeld.end();) {
    if (it->sPath != sPath) {
      ++it;
      continue;
    }
    WriteAnswer(it->dwNumber, pState->fault, pState->AnswerFor(*it));
    it = vHeld.erase(it);
  }
}

std::vector<TReceivedMessage> TScriptedTagServer::Messages() const {
  std::lock_guard<std::mutex> lock(pState->mtx);
  return pState->vMessages;
}

std::vector<TReceivedRequest> TScriptedTagServer::Requests() const {
  std::lock_guard<std::mutex> lock(pState->mtx);
  return pState->vRequests;
}

size_t TScriptedTagServer::RequestCount(int iCode) const {
  std::lock_guard<std::mutex> lock(pState->mtx);
  size_t iCount = 0;
  for (const TReceivedRequest& request : pState->vRequests) iCount += request.iCode == iCode;
  return iCount;
}

bool TScriptedTagServer::WaitForMessages(size_t iCount, DWORD dwTimeoutMs) const {
  std::unique_lock<std::mutex> lock(pState->mtx);
  return pState->cvChanged.wait_for(lock, std::chrono::milliseconds(dwTimeoutMs),
                                    [&] { return pState->vMessages.size() >= iCount; });
}

bool TScriptedTagServer::WaitForDelayedAnswers(DWORD dwTimeoutMs) const {
  std::unique_lock<std::mutex> lock(pState->mtx);
  return pState->cvChanged.wait_for(lock, std::chrono::milliseconds(dwTimeoutMs),
                                    [&] { return pState->iDelayedPending == 0; });
}

void TScriptedTagServer::ClearRecords() {
  std::lock_guard<std::mutex> lock(pState->mtx);
  pState->vMessages.clear();
  pState->vRequests.clear();
}

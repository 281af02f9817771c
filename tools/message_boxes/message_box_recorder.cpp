#include "tools/message_boxes/message_box_recorder.h"

#include <chrono>

namespace {

constexpr int MESSAGE_TEXT_ID = 0xFFFF;

std::wstring WindowText(HWND hWnd) {
  const int iLength = GetWindowTextLengthW(hWnd);
  std::wstring sText(static_cast<size_t>(iLength) + 1, L'\0');
  const int iRead = GetWindowTextW(hWnd, sText.data(), iLength + 1);
  sText.resize(static_cast<size_t>(iRead > 0 ? iRead : 0));
  return sText;
}

BOOL CALLBACK CollectDialog(HWND hWnd, LPARAM lParam) {
  DWORD dwProcess = 0;
  GetWindowThreadProcessId(hWnd, &dwProcess);
  wchar_t szClass[16] = {};
  if (dwProcess == GetCurrentProcessId() && GetClassNameW(hWnd, szClass, 16) && wcscmp(szClass, L"#32770") == 0)
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
  return TRUE;
}

}  // namespace

std::wstring Caption(const std::wstring& sContext) { return L"Quillery: " + sContext; }

TMessageBoxRecorder::TMessageBoxRecorder() : TMessageBoxRecorder(TOnBox()) {}

TMessageBoxRecorder::TMessageBoxRecorder(TOnBox onBox) : onNewBox(std::move(onBox)), thWatcher([this] { Watch(); }) {}

TMessageBoxRecorder::~TMessageBoxRecorder() {
  {
    std::lock_guard<std::mutex> lock(mtx);
    bStop = true;
    bHolding = false;
  }
  thWatcher.join();
  ReleaseHeld();
}

void TMessageBoxRecorder::Watch() {
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mtx);
      if (bStop) return;
    }
    Scan();
    Sleep(2);
  }
}

void TMessageBoxRecorder::Scan() {
  std::vector<HWND> vDialogs;
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&vDialogs));
  std::unique_lock<std::mutex> lock(mtx);
  // Forget windows that are gone, so a later box with a reused handle counts.
  for (auto it = setSeen.begin(); it != setSeen.end();) it = IsWindow(*it) ? std::next(it) : setSeen.erase(it);
  for (HWND hDialog : vDialogs) {
    // Read a box only once it is shown, when its text is in place.
    if (setSeen.count(hDialog) || !IsWindowVisible(hDialog)) continue;
    HWND hStatic = GetDlgItem(hDialog, MESSAGE_TEXT_ID);
    vBoxes.push_back({WindowText(hDialog), hStatic ? WindowText(hStatic) : std::wstring(),
                      GetWindowThreadProcessId(hDialog, nullptr)});
    setSeen.insert(hDialog);
    if (onNewBox) {
      // Outside the lock: the callback may take its time or ask for Boxes().
      const TRecordedBox box = vBoxes.back();
      lock.unlock();
      onNewBox(box);
      lock.lock();
    }
    if (bHolding)
      vHeld.push_back(hDialog);
    else
      PostMessageW(hDialog, WM_COMMAND, IDOK, 0);
    cvChanged.notify_all();
  }
}

std::vector<TRecordedBox> TMessageBoxRecorder::Boxes() {
  std::lock_guard<std::mutex> lock(mtx);
  return vBoxes;
}

void TMessageBoxRecorder::Clear() {
  std::lock_guard<std::mutex> lock(mtx);
  vBoxes.clear();
}

bool TMessageBoxRecorder::WaitForBoxes(size_t iCount, DWORD dwTimeoutMs) {
  std::unique_lock<std::mutex> lock(mtx);
  return cvChanged.wait_for(lock, std::chrono::milliseconds(dwTimeoutMs),
                            [&] { return vBoxes.size() >= iCount; });
}

void TMessageBoxRecorder::SetHolding(bool bHold) {
  std::lock_guard<std::mutex> lock(mtx);
  bHolding = bHold;
}

void TMessageBoxRecorder::ReleaseHeld() {
  std::lock_guard<std::mutex> lock(mtx);
  for (HWND hDialog : vHeld) PostMessageW(hDialog, WM_COMMAND, IDOK, 0);
  vHeld.clear();
}

size_t TMessageBoxRecorder::HeldCount() {
  std::lock_guard<std::mutex> lock(mtx);
  return vHeld.size();
}

// TMessageBoxRecorder watches for the message boxes that this process shows,
// from any thread, reads each one's caption and text as the user would see
// them, and closes it with OK. Boxes are recorded in the order they appear.
// While holding is on, boxes are recorded but left open until released.
// Used by the Windows tests and by the command-line plugin host, which
// prints each box as it appears.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct TRecordedBox {
  std::wstring sCaption;
  std::wstring sText;
  DWORD dwThreadId;
};

class TMessageBoxRecorder {
 public:
  // Called on the recorder's own thread for every new box, after it is read
  // and before it is closed, so it sees the boxes in the order they appear.
  using TOnBox = std::function<void(const TRecordedBox&)>;

  TMessageBoxRecorder();
  explicit TMessageBoxRecorder(TOnBox onBox);
  ~TMessageBoxRecorder();
  TMessageBoxRecorder(const TMessageBoxRecorder&) = delete;
  TMessageBoxRecorder& operator=(const TMessageBoxRecorder&) = delete;

  std::vector<TRecordedBox> Boxes();
  void Clear();
  // Waits until at least iCount boxes have been recorded; false on time-out.
  bool WaitForBoxes(size_t iCount, DWORD dwTimeoutMs = 10000);
  // With holding on, new boxes stay open; Release closes those held.
  void SetHolding(bool bHold);
  void ReleaseHeld();
  // Number of boxes recorded that are still open (held).
  size_t HeldCount();

 private:
  void Watch();
  void Scan();

  std::mutex mtx;
  std::condition_variable cvChanged;
  std::vector<TRecordedBox> vBoxes;
  std::set<HWND> setSeen;
  std::vector<HWND> vHeld;
  bool bHolding = false;
  bool bStop = false;
  TOnBox onNewBox;
  std::thread thWatcher;
};

// "Quillery: " + context, as the plugin's captions read.
std::wstring Caption(const std::wstring& sContext);

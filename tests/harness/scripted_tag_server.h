// TScriptedTagServer: a tag server for tests. It owns a window of class
// TTagsForm on a thread of its own, records every WM_COPYDATA it receives and
// answers plugin requests (code 20) from a table, through the request's named
// mapping and event, then closes its handles to both. Switches reproduce the
// faults a real server can have.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct TReceivedMessage {
  uintptr_t dwCode;      // dwData
  uint32_t cbData;       // as received
  std::u16string sText;  // lpData up to its first NUL, at most cbData bytes
};

struct TReceivedRequest {
  uint32_t dwNumber;  // n
  int iCode;          // request code
  std::u16string sPath;
};

enum class TServerFault {
  NONE,
  NO_ANSWER,             // neither writes nor sets the event
  EVENT_WITHOUT_ANSWER,  // sets the event without writing anything
  FILL_WITHOUT_NUL,      // fills the whole buffer with 'A' and no NUL, sets the event
};

class TScriptedTagServer {
 public:
  // Creates the window; it exists when the constructor returns.
  TScriptedTagServer();
  // Destroys the window and ends its thread (pending delayed answers are dropped).
  ~TScriptedTagServer();
  TScriptedTagServer(const TScriptedTagServer&) = delete;
  TScriptedTagServer& operator=(const TScriptedTagServer&) = delete;

  HWND Window() const;

  // The answer to a request with this code and exactly this path.
  void SetAnswer(int iCode, const std::u16string& sPath, const std::u16string& sAnswer);
  // The answer to a request with this code whose path has no entry of its own;
  // without one, such a request is answered with "RR_INVALID_PATH".
  void SetDefaultAnswer(int iCode, const std::u16string& sAnswer);
  void SetFault(TServerFault fault);
  // Answers this long after the WM_COPYDATA handling has returned (0: at once, inside it).
  void SetAnswerDelay(DWORD dwMs);
  // Keeps the sender waiting inside WM_COPYDATA this long before handling it.
  void SetHoldInSend(DWORD dwMs);
  // Requests with this path are kept unanswered until ReleaseAnswersFor,
  // which answers them then, from the calling thread, as the table says.
  void HoldAnswersFor(const std::u16string& sPath);
  void ReleaseAnswersFor(const std::u16string& sPath);

  std::vector<TReceivedMessage> Messages() const;
  std::vector<TReceivedRequest> Requests() const;
  // Requests with this code received so far.
  size_t RequestCount(int iCode) const;
  // Waits until at least iCount messages of any code have arrived.
  bool WaitForMessages(size_t iCount, DWORD dwTimeoutMs = 10000) const;
  // Waits until every delayed answer has been written (or dropped).
  bool WaitForDelayedAnswers(DWORD dwTimeoutMs = 10000) const;
  void ClearRecords();

 private:
  struct TState;
  TState* pState;
};

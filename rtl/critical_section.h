// TCriticalSection: a re-entrant lock, a Win32 critical section on Windows
// and a recursive mutex in the native build, behind one small class.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#endif

class TCriticalSection {
 public:
  TCriticalSection() { Initialize(); }
  ~TCriticalSection() {
#ifdef _WIN32
    DeleteCriticalSection(&cs);
#endif
  }
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;

  void Enter() {
#ifdef _WIN32
    EnterCriticalSection(&cs);
#else
    mtx.lock();
#endif
  }
  void Leave() {
#ifdef _WIN32
    LeaveCriticalSection(&cs);
#else
    mtx.unlock();
#endif
  }

 private:
  void Initialize() {
#ifdef _WIN32
    InitializeCriticalSection(&cs);
#endif
  }
#ifdef _WIN32
  CRITICAL_SECTION cs;
#else
  std::recursive_mutex mtx;
#endif
};

// Holds a TCriticalSection for the lifetime of the guard.
class TLockGuard {
 public:
  explicit TLockGuard(TCriticalSection& csLock) : cs(csLock) { cs.Enter(); }
  ~TLockGuard() { cs.Leave(); }
  TLockGuard(const TLockGuard&) = delete;
  TLockGuard& operator=(const TLockGuard&) = delete;

 private:
  TCriticalSection& cs;
};

// TThreadList: a list of pointers guarded by its own critical section.
// LockList hands out the inner list; UnlockList must follow on the same thread.
// The list accepts duplicates: Add never searches it.
#pragma once

#include <vector>

#include "rtl/critical_section.h"

template <typename T>
class TThreadList {
 public:
  virtual ~TThreadList() = default;

  std::vector<T*>& LockList() {
    csList.Enter();
    return vList;
  }
  void UnlockList() { csList.Leave(); }

  void Add(T* pItem) {
    TLockGuard lock(csList);
    vList.push_back(pItem);
  }

 private:
  TCriticalSection csList;
  std::vector<T*> vList;
};

// Holds a TThreadList locked for the lifetime of the guard.
template <typename T>
class TListLock {
 public:
  explicit TListLock(TThreadList<T>& list) : tl(list), vItems(list.LockList()) {}
  ~TListLock() { tl.UnlockList(); }
  TListLock(const TListLock&) = delete;
  TListLock& operator=(const TListLock&) = delete;
  std::vector<T*>& Items() { return vItems; }

 private:
  TThreadList<T>& tl;
  std::vector<T*>& vItems;
};

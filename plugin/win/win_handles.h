// Small owners of system resources, so that every kernel object, view,
// find handle, icon and system buffer is released on every path.
#pragma once

#include <windows.h>

#include <utility>

template <typename T, T (*Invalid)(), void (*Release)(T)>
class TUniqueResource {
 public:
  TUniqueResource() : hValue(Invalid()) {}
  explicit TUniqueResource(T hOwned) : hValue(hOwned) {}
  ~TUniqueResource() { reset(); }
  TUniqueResource(TUniqueResource&& other) noexcept : hValue(other.release()) {}
  TUniqueResource& operator=(TUniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  TUniqueResource(const TUniqueResource&) = delete;
  TUniqueResource& operator=(const TUniqueResource&) = delete;

  T get() const { return hValue; }
  explicit operator bool() const { return hValue != Invalid(); }
  T release() { return std::exchange(hValue, Invalid()); }
  void reset(T hNew = Invalid()) {
    if (hValue != Invalid()) Release(hValue);
    hValue = hNew;
  }

 private:
  T hValue;
};

namespace win_handles_detail {
inline HANDLE NullHandle() { return nullptr; }
inline HANDLE InvalidHandle() { return INVALID_HANDLE_VALUE; }
inline void* NullView() { return nullptr; }
inline HLOCAL NullLocal() { return nullptr; }
inline HICON NullIcon() { return nullptr; }
inline void CloseKernelHandle(HANDLE h) { CloseHandle(h); }
inline void CloseFind(HANDLE h) { FindClose(h); }
inline void UnmapView(void* p) { UnmapViewOfFile(p); }
inline void FreeLocal(HLOCAL h) { LocalFree(h); }
inline void DestroyIconHandle(HICON h) { DestroyIcon(h); }
}  // namespace win_handles_detail

// Event, mapping, thread, file: null means none.
using TUniqueHandle = TUniqueResource<HANDLE, win_handles_detail::NullHandle, win_handles_detail::CloseKernelHandle>;
// FindFirstFile search: INVALID_HANDLE_VALUE means none.
using TFindHandle = TUniqueResource<HANDLE, win_handles_detail::InvalidHandle, win_handles_detail::CloseFind>;
// A mapped view of a file mapping.
using TMappedView = TUniqueResource<void*, win_handles_detail::NullView, win_handles_detail::UnmapView>;
// A buffer the system allocated with LocalAlloc (FormatMessage).
using TLocalBuffer = TUniqueResource<HLOCAL, win_handles_detail::NullLocal, win_handles_detail::FreeLocal>;
// An icon loaded from resources.
using TIconHandle = TUniqueResource<HICON, win_handles_detail::NullIcon, win_handles_detail::DestroyIconHandle>;

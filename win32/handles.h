// Owners for Win32 handles: one per handle kind, not copyable, movable, freed
// on every path. Each kind counts the handles its owners hold, so that tests
// can see a leak where the platform's own counters are not available (Wine's
// GetGuiResources answers 0).
#pragma once

#include <windows.h>

#include <atomic>
#include <utility>

namespace vorlane::win32 {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {
    if (Valid()) ++live_;
  }
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {
    if (Valid()) ++live_;
  }
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return Valid(); }

  // Gives the handle up without freeing it.
  Handle release() {
    Handle handle = handle_;
    if (Valid()) --live_;
    handle_ = Traits::Invalid();
    return handle;
  }

  void reset(Handle handle = Traits::Invalid()) {
    if (Valid()) {
      Traits::Free(handle_);
      --live_;
    }
    handle_ = handle;
    if (Valid()) ++live_;
  }

  // How many handles of this kind owners hold right now.
  static long Live() { return live_.load(); }

 private:
  bool Valid() const { return handle_ != Traits::Invalid(); }

  Handle handle_ = Traits::Invalid();
  static inline std::atomic<long> live_{0};
};

struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { DestroyIcon(h); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { FreeLibrary(h); }
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { CloseHandle(h); }
};

struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Free(Handle h) { CloseHandle(h); }
};

// A search begun with FindFirstFile, which FindClose ends.
struct FindTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Free(Handle h) { FindClose(h); }
};

struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { DestroyMenu(h); }
};

template <typename GdiHandle>
struct GdiObjectTraits {
  using Handle = GdiHandle;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { DeleteObject(h); }
};

// A device context made with CreateCompatibleDC, not one borrowed from a
// window (those go back with ReleaseDC).
struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { DeleteDC(h); }
};

struct KeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Free(Handle h) { RegCloseKey(h); }
};

using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueKey = UniqueHandle<KeyTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueFind = UniqueHandle<FindTraits>;

// Selects an object into a device context and puts the previous one back
// when it leaves scope, so that the context never keeps a deleted object.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object)
      : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace vorlane::win32

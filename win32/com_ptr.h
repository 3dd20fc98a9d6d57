// An owning COM interface pointer: Release on every path, AddRef only where
// a second owner is made on purpose.
#pragma once

#include <unknwn.h>

namespace vorlane::win32 {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(other.pointer_) {
    other.pointer_ = nullptr;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      pointer_ = other.pointer_;
      other.pointer_ = nullptr;
    }
    return *this;
  }

  // Takes a new reference of `pointer`, which its caller keeps owning too.
  static ComPtr Share(Interface* pointer) {
    ComPtr shared;
    shared.pointer_ = pointer;
    if (pointer != nullptr) pointer->AddRef();
    return shared;
  }

  Interface* get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For functions that hand out a new reference through an out-pointer.
  Interface** put() {
    reset();
    return &pointer_;
  }

  void reset() {
    if (pointer_ != nullptr) {
      pointer_->Release();
      pointer_ = nullptr;
    }
  }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace vorlane::win32

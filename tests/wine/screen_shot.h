// Screen pixels of a window, read the way a person sees them.
#pragma once

#include <windows.h>

#include <vector>

namespace vorlane::test {

// The client area of a window as it is on the screen at the moment taken.
class ScreenShot {
 public:
  explicit ScreenShot(HWND window);

  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<COLORREF> pixels_;
};

}  // namespace vorlane::test

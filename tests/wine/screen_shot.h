// Screen pixels of a window, read the way a person sees them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vorlane::test {

// The screen's pixels in an area at the moment taken: a window's client
// area, or a rectangle in screen coordinates. CLR_INVALID outside it, and
// everywhere when the screen could not be read.
class ScreenShot {
 public:
  explicit ScreenShot(HWND window);
  explicit ScreenShot(const RECT& screenArea);

  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    return pixels_[static_cast<std::size_t>(y) * width_ + x];
  }
  // Whether each of the colours appears somewhere in the area.
  bool ShowsAll(const std::vector<COLORREF>& colours) const;
  // As a .bmp file, for a person to look at; false when it was not written.
  bool WriteBitmap(const std::string& path) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<COLORREF> pixels_;
};

// The window's client area as "screenshots\\<name>.bmp" beside the test
// programs, so that a person can look at what a test saw.
void WriteScreenShot(HWND window, const std::string& name);

}  // namespace vorlane::test

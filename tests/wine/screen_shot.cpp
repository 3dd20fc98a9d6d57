#include "screen_shot.h"

#include <algorithm>
#include <cstdint>
#include <fstream>

#include "test_support.h"

#include "win32/handles.h"

namespace vorlane::test {

namespace {

RECT ClientOnScreen(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

}  // namespace

ScreenShot::ScreenShot(HWND window) : ScreenShot(ClientOnScreen(window)) {}

ScreenShot::ScreenShot(const RECT& screenArea) {
  width_ = screenArea.right - screenArea.left;
  height_ = screenArea.bottom - screenArea.top;
  if (width_ <= 0 || height_ <= 0) {
    width_ = height_ = 0;
    return;
  }
  const POINT origin{screenArea.left, screenArea.top};
  pixels_.assign(static_cast<std::size_t>(width_) * height_, CLR_INVALID);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  void* bits = nullptr;
  win32::UniqueBitmap bitmap(
      CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win32::UniqueMemoryDc memory(CreateCompatibleDC(screen));
  if (bitmap && memory) {
    win32::SelectedObject selected(memory.get(), bitmap.get());
    if (BitBlt(memory.get(), 0, 0, width_, height_, screen, origin.x,
               origin.y, SRCCOPY)) {
      GdiFlush();
      const auto* source = static_cast<const std::uint32_t*>(bits);
      // A 32-bit DIB holds 0x00RRGGBB, the reverse of a COLORREF.
      std::transform(source, source + pixels_.size(), pixels_.begin(),
                     [](std::uint32_t p) {
                       return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF,
                                  p & 0xFF);
                     });
    }
  }
  ReleaseDC(nullptr, screen);
}


bool ScreenShot::ShowsAll(const std::vector<COLORREF>& colours) const {
  return std::all_of(colours.begin(), colours.end(), [this](COLORREF colour) {
    return std::find(pixels_.begin(), pixels_.end(), colour) != pixels_.end();
  });
}

bool ScreenShot::WriteBitmap(const std::string& path) const {
  if (width_ == 0) return false;
  const auto rowBytes = static_cast<std::uint32_t>(width_) * 4;
  const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(height_);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + imageBytes;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = width_;
  header.biHeight = -height_;  // top row first
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  std::string pixels;
  pixels.reserve(imageBytes);
  for (const COLORREF p : pixels_) {
    pixels += static_cast<char>(GetBValue(p));
    pixels += static_cast<char>(GetGValue(p));
    pixels += static_cast<char>(GetRValue(p));
    pixels += '\0';
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&file), sizeof(file));
  out.write(reinterpret_cast<const char*>(&header), sizeof(header));
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return static_cast<bool>(out);
}

void WriteScreenShot(HWND window, const std::string& name) {
  const std::string folder = BinDirectory() + "\\screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  // A picture the screen was not ready for is not worth failing a test:
  // the checks that follow say what is wrong.
  ScreenShot(window).WriteBitmap(folder + "\\" + name + ".bmp");
}

}  // namespace vorlane::test

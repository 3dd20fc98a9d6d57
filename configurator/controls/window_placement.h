// Where a window opens: centred on a work area and wholly on it, as far as
// it fits.
#pragma once

namespace vorlane::configurator {

// A rectangle in screen coordinates, right and bottom exclusive; the left
// monitor of a pair has negative ones.
struct ScreenArea {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

// The top left corner of a window `width` by `height` centred on `work`
// and moved onto it where it would overlap an edge. A window larger than
// the work area keeps its top left corner on it: the caption and the
// system menu stay within reach.
ScreenPoint CentredOn(const ScreenArea& work, int width, int height);

}  // namespace vorlane::configurator

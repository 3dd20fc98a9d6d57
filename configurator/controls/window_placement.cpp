#include "configurator/controls/window_placement.h"

namespace vorlane::configurator {
namespace {

int CentredSpan(int low, int high, int length) {
  int start = low + (high - low - length) / 2;
  if (start + length > high) start = high - length;
  if (start < low) start = low;
  return start;
}

}  // namespace

ScreenPoint CentredOn(const ScreenArea& work, int width, int height) {
  return {CentredSpan(work.left, work.right, width),
          CentredSpan(work.top, work.bottom, height)};
}

}  // namespace vorlane::configurator

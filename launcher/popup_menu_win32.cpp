#include "launcher/launcher_state.h"

namespace vorlane::launcher {

// The popup itself is built by the menu code; until it is, an opening
// request only has to leave the launcher ready for the next one.
void ShowTrayMenu() {
  State().menuOpen = false;
}

}  // namespace vorlane::launcher

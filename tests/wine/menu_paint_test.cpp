// Filled in by the menu work.

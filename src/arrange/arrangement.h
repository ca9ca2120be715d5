#pragma once

namespace plivora {

class Form1;

// Switches the main window between its wide designed arrangement and the tall one. Entering the
// tall one records the window's and the controls' geometry in SavedLayout and places them at
// fixed positions; leaving it writes every recorded value back, so the window returns to where it
// was when the tall arrangement was entered.
void ToggleArrangement(Form1& form);

}  // namespace plivora

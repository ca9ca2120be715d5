#pragma once

namespace plivora {

class Form1;
class Form3;

// Tiny mode: the main window gives way to the floating panel and comes back when the mouse
// hovers over the panel. The flags it keeps are the program's shared window-state flags.

// cmdTiny: tiny mode on (the main window hides, the panel shows) or off (the other way round).
void cmdTiny_Click(Form1& form);
// Timer1's tick: in tiny mode, hands the main window over to the panel once the mouse has been
// over the main window and has left its outer rectangle (a cursor on the border is inside). A
// minimised main window is never handed over.
void tinyModeWatch(Form1& form);
// A mouse move over the panel, whatever the buttons: brings the main window back when the cursor
// is on the panel (border included) and the panel has not just done so.
void panelHoverRestore(Form3& panel);

}  // namespace plivora

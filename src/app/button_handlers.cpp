// Image buttons: press and release feedback, and the click rules.
#include "app/taleforge_main.h"

namespace taleplay {

// FIXME: press feedback and click rules land with the buttons and the
// command language; until then a button does nothing.
void TForm1::AllButtonsMouseDown(ImageControl&, Qt::MouseButton) {}
void TForm1::AllButtonsMouseUp(ImageControl&, Qt::MouseButton) {}
void TForm1::AllButtonsClick(ImageControl& button) { state.clickedControl = &button; }

} // namespace taleplay

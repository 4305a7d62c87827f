#pragma once

namespace taleplay {

class TForm1;

// Builds fromallbuttons.txt: the image buttons.
void BuildButtons(TForm1& form);

} // namespace taleplay

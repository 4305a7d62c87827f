#pragma once

namespace taleplay {

class TForm1;

// Builds from alltextwindows.txt: the one-line text windows the player types
// answers into.
void BuildTextWindows(TForm1& form);

} // namespace taleplay

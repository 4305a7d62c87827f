#pragma once

namespace taleplay {

class TForm1;

// Builds fromalltextwindows.txt: the text windows.
void BuildTextWindows(TForm1& form);

} // namespace taleplay

#pragma once

namespace taleplay {

class TForm1;

// Builds from allbuttons.txt the image buttons, "Nazhimalka" + number, up to
// 30: the player's only way to act.
void BuildButtons(TForm1& form);

} // namespace taleplay

#pragma once
// The image buttons of the play screen and of the end screens.
#include <string>

namespace taleplay {

class Game;

// Builds from allbuttons.txt the image buttons, "Nazhimalka" + number, up to
// 30: the player's only way to act.
void BuildButtons(Game& game);

// Play-screen buttons go to the button table as "Nazhimalka" + n; an end
// screen's to a table of their own as "URANazhimalka" + n, which the click
// handlers recognise to read their rules from the end pictures file.
enum class ButtonSet { PlayScreen, EndScreen };

// Builds buttons 1 to 30 of `file`.
void BuildImageButtons(Game& game, const std::string& file, ButtonSet set);

} // namespace taleplay

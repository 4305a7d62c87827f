#pragma once
// Where a control of the game's screen comes from, for author mode: the name
// click rules know it by and the description-file line that made it.
#include "descr/File_functions.h"

#include <string>
#include <vector>

namespace taleplay {

class Control;
class Game;

struct ControlOrigin {
    // As click rules name it: "picture3", "text2", "textwindow1", "list2",
    // "shape4", "button5", "video"; a decoration (which no rule can name) by
    // its control name, such as "BP0" or "uraFON".
    std::string name;
    // The description file (composed path) and the line, from 1, of the key
    // that made the control; 0 when no line did (a decoration's default
    // picture) and "" when no file is known.
    std::string file;
    int line = 0;
    // What every key of the control begins with ("*picture3"); a key goes on
    // with anything but a digit ("*picture3*name*", "*picture3visible*no#").
    std::string stem;
};

// Whether the line is looked for: it costs a look into the file, and names
// alone are wanted after every event.
enum class Line { Found, Skipped };

// Nothing (an empty name) for controls that show nothing of the game: the
// window resource's measuring controls.
ControlOrigin originOf(const Game& game, const Control& control, Line line = Line::Found);

// The lines of the origin's file that hold its keys, in file order.
std::vector<NumberedLine> keyLinesOf(const ControlOrigin& origin);

} // namespace taleplay

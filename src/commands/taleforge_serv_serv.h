#pragma once
#include "app/taleforge_error.h"

#include <string>

namespace taleplay {

class TForm1;

// Tells the player that a file the game needs is missing. Returns when the
// error window is closed; a halting report ends the program instead.
void MissingFileReport(TForm1& form, const std::string& path, Halt halt);

} // namespace taleplay

#pragma once
// A screen's pictures decoded on the machine's other cores while its
// builders run (pictures/loader.h's Prefetch): the builders go on in their
// order and load each picture as before, but find it decoded, or being
// decoded, instead of decoding it then. What they show, in which order
// they fail or refuse, and what they report stays exactly theirs.
#include "pictures/loader.h"
#include "scene/taleforge_serv_backpic.h"

#include <memory>
#include <string>

namespace taleplay {

class Game;

// Starts decoding the pictures the builders of `screen` and of the buttons
// of `buttonsFile` will load, each at the size its component will show it,
// in the order they will be loaded. Only pictures whose size the file's
// header tells are taken, and only as many as fit the memory of all
// pictures, so that any picture refused is refused by its builder, in
// order. Keep the result while the builders run.
std::unique_ptr<pictures::Prefetch> DecodeAhead(Game& game, const PictureScreen& screen,
                                                const std::string& buttonsFile);

} // namespace taleplay

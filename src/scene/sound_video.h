#pragma once
// The sound and the video a screen's pictures file declares: the last two
// steps of building the play screen's background, and of an end screen.
#include <string>

namespace taleplay {

class Game;

// Starts the sound `file` names at once; a missing sound file is no error.
void DeclareSound(Game& game, const std::string& file);

// Sizes and places the video window (a quarter of the client, centred, by
// default), records the current video file and starts it unless
// "*videoscreenvisible*no#" holds it back.
void DeclareVideo(Game& game, const std::string& file);

// The end screen's video: no default size or place, and nothing at all is
// set when the named file is missing.
void DeclareEndVideo(Game& game, const std::string& file);

} // namespace taleplay

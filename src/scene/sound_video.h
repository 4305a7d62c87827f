#pragma once
// The sound and the video that allbackpictures.txt declares: the last two
// steps of building the play screen's background.
namespace taleplay {

class TForm1;

// Starts the declared sound at once; a missing sound file is no error.
void DeclareSound(TForm1& form);

// Sizes and places the video window, records the current video file and
// starts it unless "*videoscreenvisible*no#" holds it back.
void DeclareVideo(TForm1& form);

} // namespace taleplay

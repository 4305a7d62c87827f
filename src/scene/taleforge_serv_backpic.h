#pragma once

namespace taleplay {

class TForm1;

// Builds fromallbackpictures.txt: screen colour, background, frames, pictures, corners, shapes, sound and video.
void BuildBackground(TForm1& form);

} // namespace taleplay

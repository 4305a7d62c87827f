#pragma once

namespace taleplay {

class TForm1;

// Builds fromallbacktexts.txt: lists, then text lines.
void BuildTexts(TForm1& form);

} // namespace taleplay

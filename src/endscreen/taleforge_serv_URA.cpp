// The end screens: the switch from the play screen and their builders.
#include "app/taleforge_main.h"

namespace taleplay {

// FIXME: the end screens are not built yet; `victory` and `lost` set the
// victory flag and end here.
void TForm1::ShowEndScreen() {}

} // namespace taleplay

#include "scene/taleforge_serv_backpic.h"

#include "app/taleforge_main.h"

namespace taleplay {

// FIXME: builds nothing yet; the screen's elements land one builder at a time.
void BuildBackground(TForm1&) {}

} // namespace taleplay

#include "scene/taleforge_serv_knopki.h"

#include "app/taleforge_main.h"

namespace taleplay {

// FIXME: builds nothing yet; the screen's elements land one builder at a time.
void BuildButtons(TForm1&) {}

} // namespace taleplay

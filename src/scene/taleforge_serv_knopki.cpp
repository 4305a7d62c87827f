// Image buttons: placed, pictured and wired to the window's button handlers.
#include "scene/taleforge_serv_knopki.h"

#include "core/paths.h"
#include "descr/File_functions.h"
#include "game/game.h"
#include "scene/scene_steps.h"

namespace taleplay {
namespace {

constexpr int kButtonCount = 30;

} // namespace

void BuildButtons(Game& game) {
    BuildImageButtons(game, game.state.dataFolder + "allbuttons.txt", ButtonSet::PlayScreen);
}

void BuildImageButtons(Game& game, const std::string& file, ButtonSet set) {
    const bool end = set == ButtonSet::EndScreen;
    auto& table = end ? game.tables.endButtons : game.tables.buttons;
    for (int n = 1; n <= kButtonCount; ++n) {
        const std::string stem = numberedKey("*button", n, "");
        const auto at =
            placeNumberedPicture(game, file, stem, TALEPLAY_TEXT("Pictures", "button %1"), n);
        if (!at)
            continue; // a missing number does not end the buttons
        // Whether its file exists is asked only when the button is wired.
        const std::string pressedName = keyValue(file, stem + "*pressedname*");
        table.resize(n);

        // The handlers take the number back from the name: nothing else may
        // be added to it.
        ImageControl& button =
            game.host().createImage(numberedKey(end ? "URANazhimalka" : "Nazhimalka", n, ""));
        table[n - 1] = &button;
        button.setStretch(true);
        button.setAutoSize(false);
        button.setTransparent(at->transparent);
        button.setGeometry(at->left, at->top, at->size.width, at->size.height);
        button.loadPicture(at->path);
        button.setHandCursor(true);
        // Press feedback only for a pressed picture that is there now.
        if (!pressedName.empty() && paths::fileExists(game.state.dataFolder + pressedName)) {
            button.onMouseDown = [&events = game.window()](ImageControl& b, Qt::MouseButton m) {
                events.AllButtonsMouseDown(b, m);
            };
            button.onMouseUp = [&events = game.window()](ImageControl& b, Qt::MouseButton m) {
                events.AllButtonsMouseUp(b, m);
            };
        }
        button.onClick = [&events = game.window()](ImageControl& b) { events.AllButtonsClick(b); };
        // Tab reaches a button; a mouse click does not give it the focus.
        button.setFocusPolicy(Qt::TabFocus);
        if (at->hidden)
            button.hide();
    }
}

} // namespace taleplay

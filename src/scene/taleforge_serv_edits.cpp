// Text windows: the one-line boxes answers are typed into.
#include "scene/taleforge_serv_edits.h"

#include "descr/File_functions.h"
#include "descr/Stroki_functions.h"
#include "descr/colour_values.h"
#include "descr/placement.h"
#include "game/game.h"
#include "platform/host.h"
#include "platform/system.h"
#include "scene/scene_steps.h"
#include "scene/taleforge_serv_nadpisi.h"

namespace taleplay {
namespace {

constexpr int kLastTextWindow = 100;

void buildTextWindow(Game& game, const std::string& file, int n, int screenHeight) {
    const std::string stem = "*textwindow" + std::to_string(n);
    // Any line naming the window makes it exist, whatever follows the key:
    // even one of its answer lines. The star after the number keeps window
    // 10's lines from naming window 1.
    if (countLinesWithKey(file, stem + "*") == 0)
        return;

    const int cw = game.clientWidth();
    const int ch = game.clientHeight();
    int width = resolveSize(file, stem, Axis::Horizontal, cw);
    if (width == 0)
        width = defaultTextWidth(cw);
    Edge top = readEdge(file, stem, Axis::Vertical, ch);
    Edge left = readEdge(file, stem, Axis::Horizontal, cw);
    const TextLook look = readTextLook(file, stem, screenHeight);
    const bool noBorder = flagSet(file, stem + "noborder*yes# ");
    // Taken as written: blanks before the "#" stay.
    std::string initialText;
    if (const std::string line = firstLineWithKey(file, stem + "*text*"); !line.empty())
        initialText = textBeforeDelimiter(textAfterKey(line, stem + "*text*"), "#");

    auto& table = game.tables.textWindows;
    if (table.size() < static_cast<std::size_t>(n))
        table.resize(static_cast<std::size_t>(n));
    EditControl& edit = game.host().createEdit("TW" + std::to_string(n - 1));
    table[n - 1] = &edit;
    if (noBorder)
        edit.setBorder(false);
    edit.move(left.value, top.value);
    if (!look.backColour.empty())
        edit.setColor(convertColour(look.backColour));
    FontSpec font = lookFont(edit.font(), look);
    edit.setFont(font);
    // There is no height key: the box is as tall as one line of its font,
    // measured on the measuring label, border or not.
    LabelControl& servant = *game.LabelServant;
    servant.setFont(edit.font());
    servant.setCaption(" Hello");
    if (!look.fontColour.empty()) {
        font.color = convertColour(look.fontColour);
        edit.setFont(font);
    }
    edit.setText(initialText);
    edit.resize(width, servant.height());
    // Centred by the final size, both ways.
    if (left.centre)
        edit.move(centredPosition(cw, edit.width()), edit.y());
    if (top.centre)
        edit.move(edit.x(), centredPosition(ch, edit.height()));
    if (look.hidden)
        edit.hide();
}

} // namespace

void BuildTextWindows(Game& game) {
    const std::string file = game.state.dataFolder + "alltextwindows.txt";
    const int screenHeight = platform::screenSize().height();
    for (int n = 1; n <= kLastTextWindow; ++n)
        buildTextWindow(game, file, n, screenHeight);
}

} // namespace taleplay

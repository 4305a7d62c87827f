// The answer check of text windows.
#include "descr/File_functions.h"
#include "descr/Stroki_functions.h"
#include "game/game.h"

namespace taleplay {

bool Game::EditCheck(Control* textWindow, const std::string& target) {
    auto* edit = dynamic_cast<EditControl*>(textWindow);
    if (!edit)
        throw InvalidCast();
    // The "#" ends the typed answer, so only a whole right answer matches,
    // never a prefix of one.
    const std::string answer = trimSpaces(normaliseAnswer(edit->text() + "#"));
    std::string key = target + "*rightanswer*" + answer;
    // Punctuation at the end of the typed answer leaves a blank before the
    // "#"; these take it away again.
    key = replaceAll("* ", "*", key);
    key = replaceAll(" #", "#", key);
    // The key starts at the target, without a star, so it matches inside
    // "*textwindow<n>*rightanswer*" whatever comes before it on the line.
    //
    // The same comparison folds the file's lines, so an answer listed with
    // punctuation or a blank before its "#" ("Paris!#", "Paris #") keeps a
    // blank there and no typed text can match it. Games are written with
    // bare answers; the original behaves this way and is kept.
    return countLinesWithAnswer(state.dataFolder + "alltextwindows.txt", key) > 0;
}

} // namespace taleplay

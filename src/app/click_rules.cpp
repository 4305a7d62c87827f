// The click rules of image buttons.
#include "app/taleforge_main.h"
#include "commands/taleforge_serv_serv.h"
#include "core/paths.h"
#include "descr/File_functions.h"
#include "descr/Stroki_functions.h"

namespace taleplay {

std::string TForm1::ruleFileOf(const ImageControl& button) const {
    if (button.name().find("URANazhimalka") != std::string::npos)
        return game_.state.dataFolder +
               (game_.state.victory ? "victorypictures.txt" : "lostpictures.txt");
    return game_.state.dataFolder + "allbuttons.txt";
}

std::string TForm1::buttonNumberOf(const ImageControl& button) {
    // Used as text, never read as a number: end-screen buttons use the same
    // keys as play-screen buttons, in their own files.
    return replaceAll("URA", "", replaceAll("Nazhimalka", "", button.name()));
}

void TForm1::RunClickRules(ImageControl& button) {
    game_.state.clickedControl = &button;
    // The file, the number and the counts are fixed now; every line is read
    // afresh, so an action can change what a later condition finds.
    const std::string file = ruleFileOf(button);
    const std::string number = buttonNumberOf(button);
    bool success = true;
    if (!paths::fileExists(file))
        return;

    const std::string key = "*button" + number + "*click*";
    const int rules = countLinesWithKey(file, key);
    for (int i = 1; i <= rules; ++i) {
        const std::string line = nthLineWithKey(file, key, i);
        if (line.empty())
            continue;
        // The targets are cut with the key as written, so a rule line in
        // other letters' case runs its commands without components.
        const LookupResult condition = ComponentLookup(game_, line, key, "#");
        const std::string conditionCommand = RuleField(line, "#", "^");
        const bool yes = conditionCommand.empty() || RunCommand(game_, condition, conditionCommand);
        const LookupResult target =
            yes ? ComponentLookup(game_, line, "^", "&") : ComponentLookup(game_, line, "+", "=");
        const std::string action = yes ? RuleField(line, "&", "+") : RuleField(line, "=", "~");
        if (!action.empty())
            RunCommand(game_, target, action);
        if (!yes)
            success = false;
    }

    const std::string groupKey =
        "*button" + number + (success ? "*clickALLGOOD*" : "*clickALLBAD*");
    const int groups = countLinesWithKey(file, groupKey);
    for (int i = 1; i <= groups; ++i) {
        const std::string line = nthLineWithKey(file, groupKey, i);
        if (line.empty())
            continue;
        const LookupResult target = ComponentLookup(game_, line, groupKey, "#");
        const std::string command = RuleField(line, "#", "^");
        if (!command.empty())
            RunCommand(game_, target, command);
    }
}

} // namespace taleplay

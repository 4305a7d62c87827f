// The component lookup and the command interpreter.
#include "commands/taleforge_serv_serv.h"

#include "commands/command_text.h"

#include "core/paths.h"
#include "descr/Stroki_functions.h"
#include "descr/colour_values.h"
#include "endscreen/taleforge_serv_URA.h"
#include "game/game.h"
#include "platform/system.h"

#include <array>

namespace taleplay {
namespace {

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

Control* entry(const std::vector<QPointer<QWidget>>& table, std::int32_t number) {
    if (number < 1 || static_cast<std::size_t>(number) > table.size())
        return nullptr;
    // A destroyed control is never handed out: its number names nothing.
    Control* c = controlOf(table[static_cast<std::size_t>(number - 1)].data());
    return c && !c->destroyed() ? c : nullptr;
}

// A component exists while the window still owns one of its name.
bool stillExists(Game& game, Control* c) {
    return c && !c->destroyed() && game.host().find(c->name()) == c;
}

// The lines of a text target: label table entries f to f + c - 1.
std::vector<Control*> textLines(Game& game, std::int32_t textIndex) {
    std::vector<Control*> lines;
    if (textIndex < 0 || static_cast<std::size_t>(textIndex) >= game.tables.texts.size())
        return lines;
    const auto [first, count] = game.tables.texts[static_cast<std::size_t>(textIndex)];
    for (std::int32_t i = 0; i < count; ++i)
        lines.push_back(entry(game.tables.labels, first + i + 1));
    return lines;
}

enum class Paint { Text, Back };

// Text windows, lists and text lines take their colours alike; the colour
// text is converted only when a control receives it.
template <class C> void paint(C& control, Paint what, const std::string& colour) {
    if (what == Paint::Back) {
        control.setColor(convertColour(colour));
        return;
    }
    FontSpec f = control.font();
    f.color = convertColour(colour);
    control.setFont(f);
}

void recolour(Game& game, const LookupResult& r, Paint what, const std::string& colour) {
    if (!r.component)
        return;
    if (contains(r.target, "textwindow")) {
        // A text window takes a letter colour only once something is typed.
        auto* edit = dynamic_cast<EditControl*>(r.component);
        if (edit && (what == Paint::Back || !trimSpaces(edit->text()).empty()))
            paint(*edit, what, colour);
    } else if (contains(r.target, "list")) {
        if (auto* list = dynamic_cast<ListControl*>(r.component))
            paint(*list, what, colour);
    } else if (contains(r.target, "text")) {
        for (Control* line : textLines(game, r.textIndex))
            if (auto* label = dynamic_cast<LabelControl*>(line); label && stillExists(game, label))
                paint(*label, what, colour);
    }
}

bool isTextTarget(const LookupResult& r) {
    return contains(r.target, "text") && !contains(r.target, "textwindow");
}

// Applies `act` to the component and, for a text target, to its further lines.
template <class Act> void onComponentAndLines(Game& game, const LookupResult& r, Act act) {
    if (stillExists(game, r.component))
        act(*r.component);
    if (!isTextTarget(r))
        return;
    auto lines = textLines(game, r.textIndex);
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (stillExists(game, lines[i]))
            act(*lines[i]);
}

void pause(Game& game, const std::string& command) {
    const std::int32_t count = readInteger(CommandArgument(command, 5)).value_or(0);
    game.state.pauseCounter = count;
    // Changes made so far are painted, and queued clicks may run now.
    platform::processEvents();
    // A negative count cannot be waited; it waits nothing. While it waits,
    // nothing the player does is handled (it waits for after), but the
    // window is painted and can be closed: a pause of weeks must not freeze
    // it. Closed, the program ends there; the rest of the click never runs.
    QWidget& window = game.host().window();
    if (count > 0 &&
        !platform::waitKeepingWindowAlive(std::int64_t(count) * 100,
                                          [&] { return !window.isVisible(); }))
        throw ProgramHalted{};
    platform::processEvents();
}

void startProgram(Game& game, std::string path) {
    // "..\" (or "../") at the start stands for the working folder.
    if (path.rfind("..\\", 0) == 0 || path.rfind("../", 0) == 0)
        path = game.state.workingFolder + path.substr(3);
    if (!paths::fileExists(path)) {
        MissingFileReport(game, path, Halt::No);
        return;
    }
    const std::size_t cut = path.find_last_of("\\/");
    game.state.start.requested = true;
    game.state.start.file = cut == std::string::npos ? path : path.substr(cut + 1);
    game.state.start.folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    // The close handler launches it; the rest of the click still runs, and
    // the program ends once the click returns to the event loop.
    game.window().closeWindow();
}

} // namespace

LookupResult ComponentLookup(Game& game, const std::string& line, const std::string& key,
                             const std::string& delimiter) {
    LookupResult r;
    r.target = RuleField(line, key, delimiter);
    if (r.target.empty())
        return r;

    const ComponentTables& t = game.tables;
    struct Kind {
        const char* word;
        const std::vector<QPointer<QWidget>>* table; // null for texts
    };
    // In this order: every "textwindow" target also begins with "text", and
    // the later match is the one that stays.
    const std::array<Kind, 6> kinds = {{{"text", nullptr},
                                        {"textwindow", &t.textWindows},
                                        {"picture", &t.pictures},
                                        {"list", &t.lists},
                                        {"button", &t.buttons},
                                        {"shape", &t.shapes}}};
    for (const Kind& k : kinds) {
        if (r.target.rfind(k.word, 0) != 0)
            continue;
        const std::int32_t number = readInteger(replaceAll(k.word, "", r.target)).value_or(0);
        // In 32 bits, wrapping as the original's arithmetic does: the
        // smallest number has no predecessor (and names nothing anyway).
        r.textIndex = static_cast<std::int32_t>(static_cast<std::uint32_t>(number) - 1u);
        if (k.table) {
            r.component = entry(*k.table, number);
        } else {
            r.component = nullptr;
            if (number >= 1 && static_cast<std::size_t>(number) <= t.texts.size()) {
                const auto [first, count] = t.texts[static_cast<std::size_t>(number - 1)];
                if (count > 0)
                    r.component = entry(t.labels, first + 1);
            }
        }
    }
    if (asciiLowerCase(r.target).rfind("video", 0) == 0)
        r.component = game.VideoWindow1;
    return r;
}

std::vector<Control*> TargetComponents(Game& game, const LookupResult& found) {
    std::vector<Control*> out;
    onComponentAndLines(game, found, [&](Control& c) { out.push_back(&c); });
    return out;
}

bool RunCommand(Game& game, const LookupResult& r, const std::string& command) {
    // The gate: a target that names nothing (any more) does nothing.
    if (!r.target.empty() && !stillExists(game, r.component))
        return true;

    bool result = true;
    const std::string lowered = asciiLowerCase(command);
    Control* video = game.VideoWindow1;

    if (lowered == "visible") {
        if (r.component == video)
            game.PlayVideo();
        else
            onComponentAndLines(game, r, [](Control& c) { c.widget()->show(); });
    }
    if (lowered == "invisible") {
        if (r.component == video)
            game.StopVideo();
        else
            onComponentAndLines(game, r, [](Control& c) { c.widget()->hide(); });
    }
    if (lowered == "bringtofront")
        onComponentAndLines(game, r, [&](Control& c) { game.host().bringToFront(c); });
    if (contains(lowered, "textcolor"))
        recolour(game, r, Paint::Text, CommandColour(lowered));
    if (contains(lowered, "backcolor"))
        recolour(game, r, Paint::Back, CommandColour(lowered));
    if (contains(lowered, "pause"))
        pause(game, command);
    if (contains(lowered, "playsound")) {
        const std::string name = CommandArgument(command, 9);
        if (!name.empty() && paths::fileExists(game.state.dataFolder + name))
            game.PlayAudio(game.state.dataFolder + name);
    }
    if (contains(lowered, "playvideo ")) {
        const std::string name = CommandArgument(command, 9);
        if (!name.empty()) {
            const std::string full = game.state.dataFolder + name;
            game.state.videoFile = full; // also when it is missing
            if (!paths::fileExists(full))
                MissingFileReport(game, full, Halt::No);
            else
                game.PlayVideo();
        }
    }
    if (contains(lowered, "startprogram ")) {
        const std::string path = CommandArgument(command, 12);
        if (!path.empty())
            startProgram(game, path);
    }
    if (lowered == "checktext") {
        // With no target there is nothing typed to check: not right.
        if (r.target.empty() || !game.EditCheck(r.component, r.target))
            result = false;
    }
    if (lowered == "victory") {
        game.state.victory = true;
        ShowEndScreen(game);
        return false;
    }
    if (lowered == "lost") {
        game.state.victory = false;
        ShowEndScreen(game);
        return false;
    }
    return result;
}

} // namespace taleplay

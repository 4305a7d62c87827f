#include "commands/taleforge_serv_serv.h"

#include "commands/command_text.h"

#include "app/taleforge_main.h"
#include "descr/Stroki_functions.h"
#include "descr/colour_values.h"
#include "platform/paths.h"
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
bool stillExists(TForm1& form, Control* c) {
    return c && !c->destroyed() && form.host().find(c->name()) == c;
}

// The lines of a text target: label table entries f to f + c - 1.
std::vector<Control*> textLines(TForm1& form, std::int32_t textIndex) {
    std::vector<Control*> lines;
    if (textIndex < 0 || static_cast<std::size_t>(textIndex) >= form.tables.texts.size())
        return lines;
    const auto [first, count] = form.tables.texts[static_cast<std::size_t>(textIndex)];
    for (std::int32_t i = 0; i < count; ++i)
        lines.push_back(entry(form.tables.labels, first + i + 1));
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

void recolour(TForm1& form, const LookupResult& r, Paint what, const std::string& colour) {
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
        for (Control* line : textLines(form, r.textIndex))
            if (auto* label = dynamic_cast<LabelControl*>(line); label && stillExists(form, label))
                paint(*label, what, colour);
    }
}

bool isTextTarget(const LookupResult& r) {
    return contains(r.target, "text") && !contains(r.target, "textwindow");
}

// Applies `act` to the component and, for a text target, to its further lines.
template <class Act> void onComponentAndLines(TForm1& form, const LookupResult& r, Act act) {
    if (stillExists(form, r.component))
        act(*r.component);
    if (!isTextTarget(r))
        return;
    auto lines = textLines(form, r.textIndex);
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (stillExists(form, lines[i]))
            act(*lines[i]);
}

void pause(TForm1& form, const std::string& command) {
    const std::int32_t count = readInteger(CommandArgument(command, 5)).value_or(0);
    form.state.pauseCounter = count;
    // Changes made so far are painted, and queued clicks may run now.
    platform::processEvents();
    // A negative count cannot be waited; it waits nothing.
    if (count > 0)
        platform::sleepMs(
            static_cast<int>(std::min<std::int64_t>(std::int64_t(count) * 100, INT32_MAX)));
    platform::processEvents();
}

void startProgram(TForm1& form, std::string path) {
    // "..\" (or "../") at the start stands for the working folder.
    if (path.rfind("..\\", 0) == 0 || path.rfind("../", 0) == 0)
        path = form.state.workingFolder + path.substr(3);
    if (!paths::fileExists(path)) {
        MissingFileReport(form, path, Halt::No);
        return;
    }
    const std::size_t cut = path.find_last_of("\\/");
    form.state.start.requested = true;
    form.state.start.file = cut == std::string::npos ? path : path.substr(cut + 1);
    form.state.start.folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    // The close handler launches it; the rest of the click still runs, and
    // the program ends once the click returns to the event loop.
    form.close();
}

} // namespace

void MissingFileReport(TForm1& form, const std::string& path, Halt halt) {
    form.errorWindow().report(path, halt);
}

LookupResult ComponentLookup(TForm1& form, const std::string& line, const std::string& key,
                             const std::string& delimiter) {
    LookupResult r;
    r.target = RuleField(line, key, delimiter);
    if (r.target.empty())
        return r;

    const ComponentTables& t = form.tables;
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
        r.textIndex = number - 1;
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
        r.component = form.VideoWindow1;
    return r;
}

bool RunCommand(TForm1& form, const LookupResult& r, const std::string& command) {
    // The gate: a target that names nothing (any more) does nothing.
    if (!r.target.empty() && !stillExists(form, r.component))
        return true;

    bool result = true;
    const std::string lowered = asciiLowerCase(command);
    Control* video = form.VideoWindow1;

    if (lowered == "visible") {
        if (r.component == video)
            form.PlayVideo();
        else
            onComponentAndLines(form, r, [](Control& c) { c.widget()->show(); });
    }
    if (lowered == "invisible") {
        if (r.component == video)
            form.StopVideo();
        else
            onComponentAndLines(form, r, [](Control& c) { c.widget()->hide(); });
    }
    if (lowered == "bringtofront")
        onComponentAndLines(form, r, [&](Control& c) { form.host().bringToFront(c); });
    if (contains(lowered, "textcolor"))
        recolour(form, r, Paint::Text, CommandColour(lowered));
    if (contains(lowered, "backcolor"))
        recolour(form, r, Paint::Back, CommandColour(lowered));
    if (contains(lowered, "pause"))
        pause(form, command);
    if (contains(lowered, "playsound")) {
        const std::string name = CommandArgument(command, 9);
        if (!name.empty() && paths::fileExists(form.state.dataFolder + name))
            form.PlayAudio(form.state.dataFolder + name);
    }
    if (contains(lowered, "playvideo ")) {
        const std::string name = CommandArgument(command, 9);
        if (!name.empty()) {
            const std::string full = form.state.dataFolder + name;
            form.state.videoFile = full; // also when it is missing
            if (!paths::fileExists(full))
                MissingFileReport(form, full, Halt::No);
            else
                form.PlayVideo();
        }
    }
    if (contains(lowered, "startprogram ")) {
        const std::string path = CommandArgument(command, 12);
        if (!path.empty())
            startProgram(form, path);
    }
    if (lowered == "checktext") {
        // With no target there is nothing typed to check: not right.
        if (r.target.empty() || !form.EditCheck(r.component, r.target))
            result = false;
    }
    if (lowered == "victory") {
        form.state.victory = true;
        form.ShowEndScreen();
        return false;
    }
    if (lowered == "lost") {
        form.state.victory = false;
        form.ShowEndScreen();
        return false;
    }
    return result;
}

} // namespace taleplay

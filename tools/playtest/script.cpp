#include "playtest/script.h"

#include "app/edit_mode.h"
#include "app/language.h"
#include "app/taleforge_main.h"
#include "commands/taleforge_serv_serv.h"
#include "core/codepage.h"
#include "endscreen/taleforge_serv_URA.h"
#include "platform/system.h"
#include "playtest/dump.h"
#include "playtest/keys.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QMouseEvent>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QFile>
#include <QJsonDocument>
#include <QPixmap>
#include <QPointer>
#include <istream>
#include <ostream>

namespace taleplay::playtest {
namespace {

// The driver's own words in the language of the player's texts; the
// closing line stays as scripts read it.
std::string say(const char* text, std::vector<std::string> values = {}) {
    return launch::translate(launch::Phrase{"Playtest", text, std::move(values)});
}

std::string trim(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos)
        return {};
    std::size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

} // namespace

Runner::Runner(TForm1& form, std::string baseFolder, std::ostream& out)
    : form_(form), base_(std::move(baseFolder)), out_(out) {}

void Runner::fail(const std::string& where, const std::string& message) {
    ++failed_;
    // Each line as it is decided, so a run that is stopped from outside
    // still shows how far it came.
    out_ << where << ": " << say(QT_TRANSLATE_NOOP("Playtest", "FAILED: %1"), {message})
         << std::endl;
}

std::string Runner::absolute(const std::string& file) const {
    if (file.empty() || file.front() == '/')
        return file;
    return base_ + "/" + file;
}

void Runner::setEnded(const std::string& why) {
    if (ended_)
        return;
    ended_ = true;
    out_ << say(QT_TRANSLATE_NOOP("Playtest", "program ended: %1"), {why}) << std::endl;
}

void Runner::runScript(std::istream& in, const std::string& scriptName) {
    std::string line;
    int number = 0;
    while (std::getline(in, line))
        runLine(line, scriptName + ":" + std::to_string(++number));
}

void Runner::runLine(const std::string& raw, const std::string& where) {
    std::string line = trim(raw);
    if (line.empty() || line.front() == '#')
        return;
    std::size_t space = line.find_first_of(" \t");
    const std::string command = line.substr(0, space);
    const std::string rest = space == std::string::npos ? std::string() : trim(line.substr(space));

    // Whatever goes wrong in one line is that line's failure: the script
    // goes on, and its closing line is always written.
    try {
        runCommand(command, rest, where);
    } catch (const std::exception& e) {
        fail(where, command + ": " + e.what());
    } catch (...) {
        fail(where, command + say(QT_TRANSLATE_NOOP("Playtest", ": an unknown error")));
    }
    // No event loop runs between two commands, so what a command put aside
    // for deferred deletion (a rebuilt screen's controls) goes now: a script
    // that rebuilds a thousand times holds one screen, not a thousand.
    platform::deleteDeferred();
}

void Runner::runCommand(const std::string& command, const std::string& rest,
                        const std::string& where) {
    if (command == "dump") {
        dump(rest, where);
    } else if (command == "screenshot") {
        screenshot(rest, where);
    } else if (command == "click") {
        click(rest, Qt::LeftButton, where);
    } else if (command == "rightclick") {
        click(rest, Qt::RightButton, where);
    } else if (command == "type") {
        type(rest, where);
    } else if (command == "wait") {
        wait(rest, where);
    } else if (command == "expect") {
        expect(rest, where);
    } else if (command == "key") {
        key(rest, where);
    } else if (command == "answer") {
        answer(rest, where);
    } else if (command == "drag") {
        drag(rest, where);
    } else {
        fail(where, say(QT_TRANSLATE_NOOP("Playtest", "unknown command '%1'"), {command}));
    }
}

void Runner::dump(const std::string& target, const std::string& where) {
    if (target.empty())
        return fail(where, say(QT_TRANSLATE_NOOP("Playtest", "dump needs a file name or -")));
    const QByteArray json = QJsonDocument(dumpScene(form_)).toJson(QJsonDocument::Indented);
    if (target == "-") {
        out_ << json.toStdString();
        return;
    }
    QFile file(QString::fromStdString(absolute(target)));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(json) != json.size())
        fail(where, say(QT_TRANSLATE_NOOP("Playtest", "cannot write %1"), {target}));
}

void Runner::screenshot(const std::string& target, const std::string& where) {
    if (target.empty())
        return fail(where, say(QT_TRANSLATE_NOOP("Playtest", "screenshot needs a file name")));
    const QPixmap shot = form_.grab();
    if (!shot.save(QString::fromStdString(absolute(target)), "PNG"))
        fail(where, say(QT_TRANSLATE_NOOP("Playtest", "cannot write %1"), {target}));
}

namespace {

// Splits off the first word of `text`; `rest` gets what follows, trimmed.
std::string firstWord(const std::string& text, std::string& rest) {
    const std::size_t space = text.find_first_of(" \t");
    rest = space == std::string::npos ? std::string() : trim(text.substr(space));
    return text.substr(0, space);
}

// A text in double quotes keeps the blanks at its ends (and may be empty):
// type TW0 "  Paris ". Only a pair around the whole text is taken off.
std::string unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

// A dump value as text: strings as they are, numbers and flags as written.
std::string asText(const QJsonValue& v) {
    if (v.isString())
        return v.toString().toStdString();
    if (v.isBool())
        return v.toBool() ? "true" : "false";
    if (v.isDouble())
        return QString::number(v.toDouble(), 'g', 15).toStdString();
    if (v.isNull() || v.isUndefined())
        return "null";
    return QJsonDocument(v.isArray() ? QJsonDocument(v.toArray()) : QJsonDocument(v.toObject()))
        .toJson(QJsonDocument::Compact)
        .toStdString();
}

} // namespace

void Runner::check(bool ok, const std::string& where, const std::string& what) {
    if (ok) {
        ++passed_;
        out_ << where << ": " << say(QT_TRANSLATE_NOOP("Playtest", "ok: %1"), {what}) << std::endl;
    } else {
        fail(where, what);
    }
}

// The controls a script's name means: the control of that name, or else what
// the name means in the command language (picture1, text2, textwindow1,
// button3, video, ...), found by the player's own component lookup; a text
// means all its lines.
std::vector<Control*> Runner::controlsNamed(const std::string& name) {
    if (Control* c = form_.game().host().find(name))
        return {c};
    if (name.empty() || name.find_first_of("*#") != std::string::npos)
        return {};
    return TargetComponents(form_.game(),
                            ComponentLookup(form_.game(), "*" + name + "#", "*", "#"));
}

void Runner::click(const std::string& name, Qt::MouseButton button, const std::string& where) {
    if (ended_)
        return fail(where, say(QT_TRANSLATE_NOOP("Playtest", "the program has ended")));
    const std::vector<Control*> named = controlsNamed(name);
    if (named.empty() || !named.front()->widget()->isVisible())
        return fail(where,
                    say(QT_TRANSLATE_NOOP("Playtest", "no visible control named '%1'"), {name}));
    QPointer<QWidget> w = named.front()->widget();
    const QPoint centre(w->width() / 2, w->height() / 2);
    // Press, then release over the control: the control delivers the click
    // before the release, as a person's click arrives.
    QTest::mousePress(w, button, {}, centre);
    if (w)
        QTest::mouseRelease(w, button, {}, centre);
    platform::processEvents();
}

void Runner::type(const std::string& rest, const std::string& where) {
    std::string text;
    const std::string name = firstWord(rest, text);
    text = unquoted(text);
    const std::vector<Control*> named = controlsNamed(name);
    auto* edit = named.empty() ? nullptr : dynamic_cast<EditControl*>(named.front());
    if (!edit)
        return fail(where, say(QT_TRANSLATE_NOOP("Playtest", "no text window named '%1'"), {name}));
    edit->setText(cp1251::fromUtf8(text));
}

void Runner::wait(const std::string& ms, const std::string& where) {
    bool ok = false;
    const int n = QString::fromStdString(ms).toInt(&ok);
    if (!ok || n < 0)
        return fail(where, say(QT_TRANSLATE_NOOP("Playtest", "wait takes milliseconds")));
    QElapsedTimer clock;
    clock.start();
    do {
        platform::processEvents();
        platform::sleepMs(1);
    } while (clock.elapsed() < n);
}

namespace {
constexpr qint64 kLongestSpeechWaitMs = 5000;
}

void Runner::expect(const std::string& rest, const std::string& where) {
    std::string args;
    const std::string what = firstWord(rest, args);
    if (what == "visible" || what == "hidden" || what == "absent") {
        // A text is shown or hidden when all its lines are.
        const std::vector<Control*> named = controlsNamed(args);
        bool ok = what == "absent" ? named.empty() : !named.empty();
        for (Control* c : named)
            ok = ok && what != "absent" && (what == "visible") == !c->widget()->isHidden();
        return check(ok, where, what + " " + args);
    }
    if (what == "message") {
        const auto& messages = form_.game().messages();
        for (std::size_t i = messagesSeen_; i < messages.size(); ++i) {
            if (messages[i] == args) {
                messagesSeen_ = i + 1;
                return check(true, where, "message " + args);
            }
        }
        std::string seen;
        for (std::size_t i = messagesSeen_; i < messages.size(); ++i)
            seen += " \"" + messages[i] + "\"";
        messagesSeen_ = messages.size();
        return check(false, where,
                     "message " + args +
                         (seen.empty() ? say(QT_TRANSLATE_NOOP("Playtest", " (no message)"))
                                       : say(QT_TRANSLATE_NOOP("Playtest", " (seen:%1)"), {seen})));
    }
    if (what == "said") {
        // Like messages: a text said since the last such check. The voice
        // may still be waiting for a game sound to end, so the text is given
        // a few seconds to come (a loaded machine plays sounds late).
        const std::vector<std::string> none;
        const std::vector<std::string>& said = said_ ? *said_ : none;
        QElapsedTimer clock;
        clock.start();
        for (std::size_t from = saidSeen_;;) {
            for (std::size_t i = from; i < said.size(); ++i) {
                if (said[i] == args) {
                    saidSeen_ = i + 1;
                    return check(true, where, "said " + args);
                }
            }
            from = said.size();
            if (clock.elapsed() >= kLongestSpeechWaitMs || !said_)
                break;
            platform::processEvents();
            platform::sleepMs(5);
        }
        saidSeen_ = said.size();
        return check(false, where, "said " + args + say(QT_TRANSLATE_NOOP("Playtest", " (not said)")));
    }
    if (what == "result") {
        std::string got;
        std::error_code error;
        const std::filesystem::path path = ResultFilePath(form_.game());
        if (!std::filesystem::exists(path, error)) {
            got = "none";
        } else if (!std::filesystem::is_regular_file(path, error)) {
            return check(false, where,
                         "result " + args +
                             say(QT_TRANSLATE_NOOP("Playtest",
                                                   " (the result file is not a regular file)")));
        } else {
            std::ifstream in(path, std::ios::binary);
            std::ostringstream content;
            if (!in || !(content << in.rdbuf()))
                return check(false, where,
                             "result " + args +
                                 say(QT_TRANSLATE_NOOP("Playtest",
                                                       " (the result file cannot be read)")));
            got = content.str();
            if (got.size() >= 2 && got.compare(got.size() - 2, 2, "\r\n") == 0)
                got.resize(got.size() - 2);
        }
        return check(got == args, where,
                     "result " + args +
                         (got == args ? "" : say(QT_TRANSLATE_NOOP("Playtest", " (got %1)"), {got})));
    }
    if (what == "prop") {
        std::string keyAndValue;
        const std::string name = firstWord(args, keyAndValue);
        std::string value;
        const std::string key = firstWord(keyAndValue, value);
        value = unquoted(value);
        // Every line of a text must have the value.
        const std::vector<Control*> named = controlsNamed(name);
        if (named.empty())
            return check(false, where,
                         say(QT_TRANSLATE_NOOP("Playtest", "prop: no control named '%1'"), {name}));
        bool ok = true;
        std::string got;
        for (Control* c : named) {
            QJsonValue v = dumpControl(form_.game().host(), *c);
            for (const QString& part : QString::fromStdString(key).split('.'))
                v = v.toObject().value(part);
            got = asText(v);
            if (got != value) {
                ok = false;
                break;
            }
        }
        return check(ok, where,
                     "prop " + name + " " + key + " " + value +
                         (ok ? "" : say(QT_TRANSLATE_NOOP("Playtest", " (got %1)"), {got})));
    }
    fail(where, say(QT_TRANSLATE_NOOP("Playtest", "unknown expectation '%1'"), {what}));
}

void Runner::key(const std::string& name, const std::string& where) {
    using launch::translate;
    if (ended_)
        return fail(where, say(QT_TRANSLATE_NOOP("Playtest", "the program has ended")));
    const std::optional<KeyStroke> stroke = parseKey(name);
    if (!stroke)
        return fail(where,
                    translate(launch::Phrase{
                        "Playtest",
                        QT_TRANSLATE_NOOP("Playtest",
                                          "key takes F1 to F12, Tab, Backtab, Return, Enter, "
                                          "Escape, Space, Backspace, Delete, Up, Down, Left, "
                                          "Right, a letter or a digit, after any of Ctrl+, "
                                          "Shift+ and Alt+, not '%1'"),
                        {name}}));
    pressKey(form_, *stroke);
    platform::processEvents();
    // Escape answered yes closes the window, as its close button does.
    if (!form_.isVisible())
        setEnded(say(QT_TRANSLATE_NOOP("Playtest", "the window was closed")));
}

void Runner::drag(const std::string& rest, const std::string& where) {
    if (ended_)
        return fail(where, say(QT_TRANSLATE_NOOP("Playtest", "the program has ended")));
    std::istringstream in(rest);
    std::string name;
    int dx = 0, dy = 0;
    if (!(in >> name >> dx >> dy))
        return fail(where, say(QT_TRANSLATE_NOOP("Playtest", "drag takes NAME DX DY")));
    const std::vector<Control*> named = controlsNamed(name);
    if (named.empty())
        return fail(where, say(QT_TRANSLATE_NOOP("Playtest", "no control named '%1'"), {name}));
    // In edit mode NAME is selected first, as a click on it would select
    // it: a component partly under another is still the one dragged.
    if (auto* editMode = form_.findChild<EditMode*>(); editMode && editMode->on())
        if (const auto c = editing::componentOf(form_.game(), *named.front()))
            editMode->select(c->target);
    QWidget* control = named.front()->widget();
    const QPoint from = control->mapTo(&form_, QPoint(control->width() / 2, control->height() / 2));
    // The press goes where a person's pointer would press: to what lies on
    // top there (in edit mode, the editor), and the moves and the release
    // follow it there, as the pointer is grabbed while the button is held.
    QPointer<QWidget> target = form_.childAt(from);
    if (!target)
        target = &form_;
    auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        if (!target)
            return;
        const QPoint local = target->mapFrom(&form_, at);
        QMouseEvent e(type, QPointF(local), QPointF(target->mapToGlobal(local)), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    constexpr int kSteps = 4;
    for (int i = 1; i <= kSteps; ++i)
        send(QEvent::MouseMove, from + QPoint(dx * i / kSteps, dy * i / kSteps), Qt::NoButton,
             Qt::LeftButton);
    send(QEvent::MouseButtonRelease, from + QPoint(dx, dy), Qt::LeftButton, Qt::NoButton);
    platform::processEvents();
}

void Runner::answer(const std::string& yesOrNo, const std::string& where) {
    if (yesOrNo == "yes")
        platform::setObservedAnswer(platform::Answer::Yes);
    else if (yesOrNo == "no")
        platform::setObservedAnswer(platform::Answer::No);
    else
        fail(where, say(QT_TRANSLATE_NOOP("Playtest", "answer takes yes or no")));
}

std::string Runner::summary() const {
    return std::to_string(passed_) + " passed, " + std::to_string(failed_) + " failed";
}

} // namespace taleplay::playtest

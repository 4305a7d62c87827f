// The targets that start the player offscreen, as the tests' game fixture
// does: the component lookup and the command interpreter on a small fixed
// scene, and whole games written from a grammar of real keys.
//
// Nothing a game asks for may leave the scratch folder or take long: the
// shell's open is only recorded (a game may name any program on the
// machine), the result file is written in the scratch folder, and a pause of
// more than a moment is cut short as a player would cut it, by closing the
// window while it waits; the player's own behaviour is unchanged.
#include "grammar.h"
#include "reference.h"
#include "scratch.h"
#include "targets.h"

#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "check/game.h"
#include "commands/taleforge_serv_serv.h"
#include "core/paths.h"
#include "core/results.h"
#include "descr/description_cache.h"
#include "media_writers.h"
#include "platform/host.h"
#include "platform/media_module.h"
#include "platform/system.h"
#include "playtest/offscreen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace taleplay::fuzz {
namespace {

// Pauses up to this many tenths of a second run; a longer one ends the game
// as if the window were closed during it.
constexpr std::int32_t kLongestPause = 1;
// Clicks per game, over every button of the play screen and the end screen.
constexpr int kMostClicks = 40;
// A small screen: every input builds it anew and paints it.
constexpr int kScreenWidth = 320, kScreenHeight = 240;

struct Session {
    std::unique_ptr<TForm1> form;
    bool ended = false; // the program ended (a halting report, a closed window)
    int screensBuilt = 0;
    std::size_t messagesBefore = 0; // the game's messages of earlier inputs
    std::vector<std::string> messages;
    std::vector<std::string> programs; // what the shell was asked to open
};

// Never destroyed: the player's window outlives the last input, and goes
// with the process, not with the statics after the application.
Session& session() {
    static Session* s = new Session;
    return *s;
}

QImage pattern(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h / 2, Qt::red);
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::blue);
    return image;
}

// The media of kMedia in `folder` (native, ending in '/'). The pictures
// are a few tens of pixels: as tiles of a background or a frame they make a
// hundred controls, not thousands, which told the fuzzer nothing new and
// took most of an input's time. The default background's picture is a
// single pixel, so the one control that shows a tile too small to repeat
// as controls is built too.
void writeMedia(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const MediaFile& m : kMedia) {
        const std::string path = folder + m.name;
        switch (m.kind) {
        case MediaFile::Kind::Bmp:
            if (std::string_view(m.name) == "fon.bmp")
                pattern(1, 1).save(QString::fromStdString(path), "BMP");
            else
                pattern(32, 24).save(QString::fromStdString(path), "BMP");
            break;
        case MediaFile::Kind::Png:
            pattern(40, 40).save(QString::fromStdString(path), "PNG");
            break;
        case MediaFile::Kind::Gif:
            demoart::writeGif(path, pattern(40, 32));
            break;
        case MediaFile::Kind::Jpeg:
            pattern(32, 32).save(QString::fromStdString(path), "JPEG");
            break;
        case MediaFile::Kind::Wav:
            demoart::writeWav(path, 8000, std::vector<float>(80, 0.25f));
            break;
        case MediaFile::Kind::Avi:
            demoart::writeMjpegAvi(path, {pattern(16, 16), pattern(16, 16)}, 25, 50);
            break;
        case MediaFile::Kind::Program:
            std::ofstream(path) << "#!/bin/sh\nexit 0\n";
            ::chmod(path.c_str(), 0755);
            break;
        }
    }
}

// Pauses take no time: one up to kLongestPause tenths of a second passes at
// once, a longer one is cut short as a person cuts it, by closing the window
// while it waits (the player ends the game there).
void watchPauses() {
    platform::setWaitObserver([](std::int64_t ms) {
        Session& s = session();
        if (ms > std::int64_t(kLongestPause) * 100 && s.form && s.form->isVisible())
            s.form->hide();
    });
}

// Starts the player on the game in `parent`/data_game, as the tests' game
// fixture does, for the first input; for every later one the game is built
// again from its files as author mode's F5 builds it (the same rebuild, so
// it is fuzzed too), in the same window. False when the screen was not built.
bool startPlayer(const std::string& parent) {
    Session& s = session();
    s.ended = false;
    s.messages.clear();
    s.programs.clear();
    if (::chdir(parent.c_str()) != 0)
        std::abort();
    if (s.form) {
        s.messagesBefore = s.form->game().messages().size();
        // A game that ended hid the window, as closing it would.
        if (!s.form->isVisible())
            s.form->showMaximisedWindow();
        const int before = s.screensBuilt;
        s.form->Rebuild();
        return s.screensBuilt == before + 1;
    }
    s.messagesBefore = 0;
    s.form = std::make_unique<TForm1>("game");
    QObject::connect(s.form.get(), &TForm1::screenBuilt, [] { ++session().screensBuilt; });
    auto* errorWindow = new TForm2(*s.form); // owned by the form
    s.form->setErrorWindow(errorWindow);
    s.form->showMaximisedWindow();
    QElapsedTimer clock;
    clock.start();
    while (!s.form->startUpDone() && !s.ended && clock.elapsed() < 20000)
        platform::processEvents();
    return s.form->startUpDone();
}

// The game's messages of this input.
std::vector<std::string> messagesOfThisInput() {
    const Session& s = session();
    const std::vector<std::string>& all = s.form->game().messages();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(s.messagesBefore, all.size())),
            all.end()};
}

// Ends an input: what its clicks left running stops with the next rebuild,
// and what it destroyed is deleted now, as an event loop would.
void stopPlayer() {
    platform::processEvents();
    platform::deleteDeferred();
}

bool running() {
    const Session& s = session();
    return !s.ended && s.form && s.form->isVisible();
}

// A person's click: press, release over the control; the click comes
// before the release.
void click(QWidget* w, Qt::MouseButton button) {
    QPointer<QWidget> alive = w;
    const QPoint centre(w->width() / 2, w->height() / 2);
    QTest::mousePress(alive, button, {}, centre);
    if (alive && running())
        QTest::mouseRelease(alive, button, {}, centre);
    platform::processEvents();
}

// --- The fixed scene --------------------------------------------------------

std::string sceneParent() {
    return scratchRoot() + "scene/";
}

// Pictures 1 and 3 (2 missing), shapes 1 and 2, texts 1 (two lines) and 3,
// list 1, text windows 1 and 2, buttons 1 and 2, a video, and end screens
// with their own pictures, texts and buttons.
void writeScene() {
    const std::string data = "scene/data_game/";
    writeMedia(scratchRoot() + data);
    auto file = [&](const char* name, const std::string& text) { writeScratch(data + name, text); };
    file("allbackpictures.txt", "*screencolor*clSkyBlue#\r\n"
                                "*picture1*name*a.bmp#\r\n*picture1*leftinpixels*10#\r\n"
                                "*picture3*name*b.png#\r\n*picture3visible*no# \r\n"
                                "*shape1*form*circle#\r\n*shape1*widthinpixels*30#\r\n"
                                "*shape2*form*rectangle#\r\n*shape2*color*clRed#\r\n"
                                "*video*v.avi#\r\n*videoscreenvisible*no#\r\n");
    file("allbacktexts.txt", "*text1*string1*First line#\r\n*text1*string2*Second line#\r\n"
                             "*text3*string1*Third text#\r\n"
                             "*list1*string1*Moon#\r\n*list1*string2*Sun#\r\n");
    file("alltextwindows.txt", "*textwindow1*text*#\r\n*textwindow1*rightanswer*Moon#\r\n"
                               "*textwindow2*text*typed#\r\n*textwindow2*rightanswer*yes#\r\n");
    file("allbuttons.txt", "*button1*name*c.gif#*button1*pressedname*d.jpg#\r\n"
                           "*button2*name*a.bmp#*button2*leftinpixels*200#\r\n");
    file("victorypictures.txt", "*picture1*name*d.jpg#\r\n*button1*name*a.bmp#\r\n"
                                "*button1*click*picture1#invisible^#\r\n");
    file("victorytexts.txt", "*text1*string1*Won#\r\n");
    file("lostpictures.txt", "*picture2*name*c.gif#\r\n");
    file("losttexts.txt", "*text2*string1*Lost#\r\n");
}

// What the game checker says the scene has: the component lookup must find
// exactly those components, as long as the play screen stands.
bool checkerFinds(const std::string& targetText) {
    // Read once, before any player starts: the checker registers its own
    // folders, and every start-up registers the player's again.
    static const check::Game* game = new check::Game(sceneParent() + "data_game");
    const check::Target t = check::readTarget(targetText);
    return game->playScreen().has(t.kind, t.number);
}

void runRule(Game& game, const std::string& line, bool& playScreen) {
    const std::string key = "*button1*click*";
    TForm1& form = *session().form;
    form.runEvent([&] {
        const LookupResult condition = ComponentLookup(game, line, key, "#");
        if (playScreen && !condition.target.empty() &&
            (condition.component != nullptr) != checkerFinds(condition.target))
            differs("the component of target " + printable(condition.target),
                    condition.component ? "found" : "none", "what the checker finds");
        TargetComponents(game, condition);
        const std::string conditionCommand = RuleField(line, "#", "^");
        const auto ends = [](const std::string& c) {
            const std::string lowered = asciiLower(c);
            return lowered == "victory" || lowered == "lost";
        };
        bool yes = true;
        if (!conditionCommand.empty()) {
            playScreen = playScreen && !ends(conditionCommand);
            yes = RunCommand(game, condition, conditionCommand);
        }
        if (!running())
            return;
        const LookupResult action =
            yes ? ComponentLookup(game, line, "^", "&") : ComponentLookup(game, line, "+", "=");
        const std::string actionCommand =
            yes ? RuleField(line, "&", "+") : RuleField(line, "=", "~");
        if (!actionCommand.empty()) {
            playScreen = playScreen && !ends(actionCommand);
            RunCommand(game, action, actionCommand);
        }
    });
}

// --- Whole games ---------------------------------------------------------------

std::string gameParent() {
    return scratchRoot() + "game/";
}

void writeGame(const GeneratedGame& g) {
    static const bool media = [] {
        writeMedia(gameParent() + "data_game/");
        return true;
    }();
    (void)media;
    static constexpr const char* kNames[] = {
        "allbackpictures.txt", "allbacktexts.txt", "alltextwindows.txt", "allbuttons.txt",
        "victorypictures.txt", "lostpictures.txt", "victorytexts.txt",   "losttexts.txt"};
    for (const char* name : kNames)
        removeScratch(std::string("game/data_game/") + name);
    for (const auto& [name, bytes] : g.files)
        writeScratch("game/data_game/" + name, bytes);
    // Kept files are trusted by their times alone (see startQt): the new
    // ones are read afresh.
    descr::clearDescriptionCache();
}

// The buttons to click now: the play screen's, then the end screen's.
std::vector<QPointer<QWidget>> buttons() {
    std::vector<QPointer<QWidget>> out;
    const ComponentTables& t = session().form->game().tables;
    for (const auto* table : {&t.buttons, &t.endButtons})
        for (const QPointer<QWidget>& b : *table)
            if (b)
                out.push_back(b);
    return out;
}

} // namespace

void startQt(int& argc, char** argv, bool media) {
    if (!media)
        platform::refuseMediaModule();
    // The result file stays in the scratch folder, never a shared one.
    ::unsetenv(results::kVariable);
    if (!playtest::useOffscreenScreen(kScreenWidth, kScreenHeight))
        std::abort();
    // A description file is read once per input, not at every lookup while
    // it is younger than its times can tell: the game target forgets the
    // kept files whenever it writes new ones. Likewise the game folder's
    // listing, which every lookup of a file the game lacks searches for the
    // name in another case: it is read again when the folder's times change,
    // not at every such lookup of an input (a third of the game target's
    // time went there).
    descr::setRecentChangeWindow(0, 0);
    paths::setRecentListingWindow(0, 0);
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    playtest::removeOffscreenScreenFile();
    platform::setModalObserver(
        [](platform::ModalKind, const std::string& text) { session().messages.push_back(text); });
    platform::setEndProgramHandler([] {
        Session& s = session();
        s.ended = true;
        if (s.form)
            s.form->hide();
    });
    platform::setShellObserver(
        [](const std::string& path, const std::string&) { session().programs.push_back(path); });
    watchPauses();
    writeScene();
    checkerFinds("");
}

void fuzzScene(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (!startPlayer(sceneParent()))
        differs("the fixed scene's start-up", "unfinished", "done");
    Game& game = session().form->game();
    if (const std::vector<std::string> said = messagesOfThisInput(); !said.empty())
        differs("the fixed scene's start-up", said.front(), "no message");

    // The first line is typed into the text windows; every line is a click
    // rule of button 1, run as the click handler runs one.
    std::vector<std::string_view> lines;
    for (std::size_t from = 0; from <= input.size() && lines.size() < 64;) {
        std::size_t end = input.find('\n', from);
        if (end == std::string_view::npos)
            end = input.size();
        lines.push_back(input.substr(from, end - from));
        from = end + 1;
    }
    for (const QPointer<QWidget>& w : game.tables.textWindows)
        if (auto* edit = dynamic_cast<EditControl*>(controlOf(w.data())))
            edit->setText(std::string(lines.front().substr(0, 200)));
    bool playScreen = true;
    for (const std::string_view line : lines) {
        if (!running())
            break;
        runRule(game, std::string(line), playScreen);
        platform::processEvents();
    }
    stopPlayer();
}

void fuzzGame(const std::uint8_t* data, std::size_t size) {
    const GeneratedGame g =
        generateGame(std::string_view(reinterpret_cast<const char*>(data), size));
    writeGame(g);
    if (!startPlayer(gameParent()))
        differs("start-up", "unfinished after 20 s", "done");
    if (running()) {
        const ComponentTables& t = session().form->game().tables;
        for (std::size_t i = 0; i < t.textWindows.size() && !g.typed.empty(); ++i)
            if (auto* edit = dynamic_cast<EditControl*>(controlOf(t.textWindows[i].data())))
                edit->setText(g.typed[i % g.typed.size()]);
    }
    // Every button, twice over (a click may show another), the end screen's
    // too; every third click with the right mouse button, which only presses
    // and releases.
    int clicks = 0;
    for (int pass = 0; pass < 2 && running(); ++pass)
        for (const QPointer<QWidget>& b : buttons()) {
            if (!running() || clicks >= kMostClicks)
                break;
            if (b && b->isVisible())
                click(b, ++clicks % 3 == 0 ? Qt::RightButton : Qt::LeftButton);
        }
    if (std::getenv("TALEPLAY_FUZZ_SHOW")) {
        // What an input became, for whoever studies a finding.
        for (const auto& [name, bytes] : g.files)
            std::fprintf(stderr, "--- %s\n%s", name.c_str(), bytes.c_str());
        for (const std::string& t : g.typed)
            std::fprintf(stderr, "--- typed: %s\n", t.c_str());
        std::fprintf(stderr, "--- %d clicks of %zu buttons%s\n", clicks, buttons().size(),
                     session().ended ? ", ended" : "");
        if (session().form)
            std::fprintf(stderr, "--- data folder %s, %zu buttons in the table\n",
                         session().form->game().state.dataFolder.c_str(),
                         session().form->game().tables.buttons.size());
        if (session().form)
            for (const std::string& m : messagesOfThisInput())
                std::fprintf(stderr, "--- message: %s\n", m.c_str());
    }
    stopPlayer();
}

void runQtTarget(std::string_view name, const std::uint8_t* data, std::size_t size) {
    if (name == "scene")
        fuzzScene(data, size);
    else if (name == "game")
        fuzzGame(data, size);
    else
        differs("target", std::string(name), "scene or game");
}

} // namespace taleplay::fuzz

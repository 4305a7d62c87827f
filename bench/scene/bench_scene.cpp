// bench_scene [--screen WIDTHxHEIGHT] [--end] [--decode-first LIST] FOLDER
//
// Starts the game in FOLDER (named data_NAME, as make_bench_game writes it)
// on an offscreen screen, 1920 x 1080 unless told otherwise, and prints the
// time from launching the program (its libraries loaded, the application
// made, the window shown, the play screen built) to the play screen's first
// complete paint (the window and every control in view painted once), and
// the process's peak memory by then. With --end it then clicks button 30,
// whose rule wins the game, and prints the time from the click to the end
// screen's first complete paint and the peak memory of the switch alone.
//
// --decode-first makes the floor of a game of photos: before the game starts,
// each photo of LIST (another game's bench-photos.list) is decoded once, one
// after another, at the smallest of libjpeg's scales that keeps the size it
// is shown at, as a player that did only that much more than showing the
// same game with its photos saved at that size would.
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "bench_support.h"
#include "paint_watch.h"
#include "pictures/picture.h"
#include "platform/system.h"

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

std::filesystem::path gameFolder;

// Decodes every photo of a bench-photos.list for the size it says they are
// shown at; the number decoded, or -1 when the list cannot be read.
int decodePhotos(const std::filesystem::path& list) {
    std::ifstream in(list);
    std::string word;
    taleplay::pictures::Shown shown;
    shown.stretched = true;
    char x = 0;
    if (!(in >> word >> shown.width >> x >> shown.height) || word != "shown")
        return -1;
    int count = 0;
    for (std::string name; in >> name; ++count) {
        std::ifstream file(list.parent_path() / name, std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
        taleplay::pictures::decodeJpegFor(bytes.data(), bytes.size(), shown);
    }
    return count;
}

// The files were probably written just now; a player's are old (see
// waitUntilOlder). Done before the clock starts.
void waitForOldFiles() {
    taleplay::bench::waitUntilOlder(gameFolder);
}

} // namespace

int main(int argc, char** argv) {
    using namespace taleplay;
    bench::SceneOptions options;
    const bool parsed = bench::parseSceneOptions(argc, argv, options);
    const std::filesystem::path dir =
        std::filesystem::absolute(parsed ? options.folder : ".").lexically_normal();
    const std::string last =
        dir.has_filename() ? dir.filename().string() : dir.parent_path().filename().string();
    if (!parsed || last.rfind("data_", 0) != 0) {
        std::cerr << "usage: bench_scene [--screen WIDTHxHEIGHT] [--end] [--decode-first LIST] "
                     "data_NAME\n";
        return 2;
    }
    gameFolder = dir;
    bench::markLaunch(argv, waitForOldFiles);

    const std::string name = last.substr(5);
    if (::chdir(
            (dir.has_filename() ? dir.parent_path() : dir.parent_path().parent_path()).c_str()) !=
        0)
        return 2;
    bench::useScreen(options.width, options.height);
    platform::setModalObserver([](platform::ModalKind, const std::string& text) {
        std::cerr << "modal window: " << text << "\n";
    });
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    if (!options.decodeFirst.empty()) {
        const double from = bench::sinceLaunchMs();
        const int decoded = decodePhotos(options.decodeFirst);
        if (decoded < 0) {
            std::cerr << "bench_scene: cannot read " << options.decodeFirst << "\n";
            return 2;
        }
        std::printf("photos decoded first  %8.1f ms (%d photos)\n", bench::sinceLaunchMs() - from,
                    decoded);
    }
    const double appReady = bench::sinceLaunchMs();

    bench::PaintWatch watch;
    TForm1 form(name);
    TForm2 errorWindow(form);
    form.setErrorWindow(&errorWindow);
    // What the screen shows: the window and every control that has some of
    // itself in view.
    auto shown = [&form] {
        std::vector<const QWidget*> widgets{&form};
        for (Control* c : form.game().host().controls()) {
            const QWidget* w = c->widget();
            if (w->isVisible() && !w->visibleRegion().isEmpty())
                widgets.push_back(w);
        }
        return widgets;
    };
    form.showMaximisedWindow();
    while (!form.startUpDone())
        platform::processEvents();
    const double built = bench::sinceLaunchMs();
    const double paintedAt = watch.waitUntilPainted(shown);
    const bool complete = paintedAt >= 0;
    if (!complete)
        for (const QWidget* w : watch.unpainted(shown()))
            std::cerr << "not painted: " << w->metaObject()->className() << " "
                      << w->objectName().toStdString() << " at " << w->x() << "," << w->y() << " "
                      << w->width() << "x" << w->height() << "\n";
    const double painted = paintedAt - bench::launchedAtMs();
    const double playPeak = bench::peakMiB();

    std::printf("screen %dx%d, %zu controls, %zu messages\n", options.width, options.height,
                form.game().host().controls().size(), form.game().messages().size());
    std::printf("application ready     %8.1f ms\n", appReady);
    std::printf("play screen built     %8.1f ms (start-up sequence %.1f ms)\n", built,
                built - appReady);
    std::printf("first complete paint  %8.1f ms (%d paint events%s)\n", painted, watch.paints(),
                complete ? "" : ", INCOMPLETE");
    std::printf("processor time        %8.1f ms\n", bench::processorMs());
    std::printf("peak memory           %8.1f MiB\n", playPeak);
    if (!complete)
        return 1;
    if (!options.endScreen)
        return 0;

    auto& buttons = form.game().tables.buttons;
    auto* winner = buttons.size() >= 30 ? qobject_cast<ImageControl*>(buttons[29].data()) : nullptr;
    if (!winner) {
        std::cerr << "bench_scene: the game has no button 30 to win with\n";
        return 1;
    }
    const bool ownPeak = bench::resetPeak();
    watch.reset();
    const double clickAt = bench::nowMs();
    form.AllButtonsClick(*winner);
    // Back in the event loop, the destroyed controls are deleted and the new
    // screen is painted.
    const double endPaintedAt = watch.waitUntilPainted(shown);
    const bool endComplete = endPaintedAt >= 0;
    const double switched = endPaintedAt - clickAt;
    const double switchPeak = bench::peakMiB();
    std::printf("end screen: %zu controls, %zu messages\n", form.game().host().controls().size(),
                form.game().messages().size());
    std::printf("switch to first paint %8.1f ms (%d paint events%s)\n", switched, watch.paints(),
                endComplete ? "" : ", INCOMPLETE");
    std::printf("peak memory of switch %8.1f MiB%s\n", switchPeak,
                ownPeak ? "" : " (since start: the peak cannot be reset here)");
    return endComplete ? 0 : 1;
}

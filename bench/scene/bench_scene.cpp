// bench_scene [--screen WIDTHxHEIGHT] FOLDER
//
// Starts the game in FOLDER (named data_NAME, as make_bench_game writes it)
// on an offscreen screen, 1920 x 1080 unless told otherwise, and prints the
// time from start to the first complete paint of the play screen, split into
// its steps, and the process's peak memory.
#include "app/taleforge_error.h"
#include "app/taleforge_main.h"
#include "core/paths.h"
#include "platform/system.h"
#include "playtest/offscreen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <filesystem>
#include <iostream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

long peakKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss; // kilobytes on Linux
}

} // namespace

int main(int argc, char** argv) {
    using namespace taleplay;
    QElapsedTimer clock;
    clock.start();
    int width = 1920, height = 1080;
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--screen" && i + 1 < argc) {
            if (!playtest::parseScreen(argv[++i], width, height))
                return 2;
        } else {
            folder = a;
        }
    }
    const std::filesystem::path dir = std::filesystem::absolute(folder).lexically_normal();
    const std::string last =
        dir.has_filename() ? dir.filename().string() : dir.parent_path().filename().string();
    if (folder.empty() || last.rfind("data_", 0) != 0) {
        std::cerr << "usage: bench_scene [--screen WIDTHxHEIGHT] data_NAME\n";
        return 2;
    }
    const std::string name = last.substr(5);
    if (::chdir(
            (dir.has_filename() ? dir.parent_path() : dir.parent_path().parent_path()).c_str()) !=
        0)
        return 2;

    playtest::useOffscreenScreen(width, height);
    platform::setModalObserver([](platform::ModalKind, const std::string& text) {
        std::cerr << "modal window: " << text << "\n";
    });
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    playtest::removeOffscreenScreenFile();
    const qint64 appReady = clock.elapsed();

    TForm1 form(name);
    TForm2 errorWindow(form);
    form.setErrorWindow(&errorWindow);
    form.showMaximisedWindow();
    while (!form.startUpDone())
        platform::processEvents();
    const qint64 built = clock.elapsed();

    // The first complete paint: every control of the window drawn once.
    const QPixmap frame = form.grab();
    const qint64 painted = clock.elapsed();

    std::cout << "screen " << width << "x" << height << ", " << form.game().host().controls().size()
              << " controls, " << form.game().messages().size() << " messages\n"
              << "application ready   " << appReady << " ms\n"
              << "play screen built   " << built << " ms\n"
              << "first complete paint " << painted << " ms (paint " << painted - built << " ms)\n"
              << "peak memory         " << peakKilobytes() / 1024 << " MiB\n";
    return frame.isNull() ? 1 : 0;
}

// bench_floor [--screen WIDTHxHEIGHT] [--end] FOLDER
//
// The least any player could do to show the benchmark game's screens, timed
// as bench_scene times the player: launch, each distinct picture of the play
// screen (FOLDER/bench-play.list) decoded once with the player's own
// decoders, and an empty window shown maximised until its first paint. With
// --end, the same for the end screen (FOLDER/bench-end.list) from the moment
// its pictures are asked for: decoded, and the window painted once more.
#include "bench_support.h"
#include "paint_watch.h"
#include "pictures/loader.h"

#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

using Pictures = std::vector<std::shared_ptr<const taleplay::pictures::Picture>>;

std::filesystem::path gameFolder;

void waitForOldFiles() {
    taleplay::bench::waitUntilOlder(gameFolder);
}

bool decodeList(const std::filesystem::path& list, Pictures& out) {
    std::ifstream in(list);
    if (!in) {
        std::cerr << "bench_floor: no " << list << " (written by make_bench_game)\n";
        return false;
    }
    std::string name;
    while (std::getline(in, name)) {
        const std::string path = (gameFolder / name).string();
        out.push_back(taleplay::pictures::loadPicture(path, path));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    using namespace taleplay;
    bench::SceneOptions options;
    if (!bench::parseSceneOptions(argc, argv, options)) {
        std::cerr << "usage: bench_floor [--screen WIDTHxHEIGHT] [--end] data_NAME\n";
        return 2;
    }
    gameFolder = std::filesystem::absolute(options.folder);
    bench::markLaunch(argv, waitForOldFiles);

    bench::useScreen(options.width, options.height);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    const double appReady = bench::sinceLaunchMs();
    Pictures shown;
    if (!decodeList(gameFolder / "bench-play.list", shown))
        return 1;
    const double decoded = bench::sinceLaunchMs();
    bench::PaintWatch watch;
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, Qt::black);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.showMaximized();
    const bool complete =
        watch.waitUntilPainted([&] { return std::vector<const QWidget*>{&window}; });
    const double painted = bench::sinceLaunchMs();
    std::printf("floor: %zu pictures\n", shown.size());
    std::printf("application ready     %8.1f ms\n", appReady);
    std::printf("pictures decoded      %8.1f ms (decoding %.1f ms)\n", decoded, decoded - appReady);
    std::printf("first complete paint  %8.1f ms (%d paint events%s)\n", painted, watch.paints(),
                complete ? "" : ", INCOMPLETE");
    std::printf("processor time        %8.1f ms\n", bench::processorMs());
    std::printf("peak memory           %8.1f MiB\n", bench::peakMiB());
    if (!complete)
        return 1;
    if (!options.endScreen)
        return 0;

    shown.clear();
    pictures::clearPictureCache();
    watch.reset();
    const double startAt = bench::nowMs();
    if (!decodeList(gameFolder / "bench-end.list", shown))
        return 1;
    const double endDecoded = bench::nowMs();
    palette.setColor(QPalette::Window, Qt::darkBlue);
    window.setPalette(palette);
    window.update();
    const double endPainted =
        watch.waitUntilPainted([&] { return std::vector<const QWidget*>{&window}; });
    const bool endComplete = endPainted >= 0;
    std::printf("end screen: %zu pictures\n", shown.size());
    std::printf("switch to first paint %8.1f ms (decoding %.1f ms, %d paint events%s)\n",
                endPainted - startAt, endDecoded - startAt, watch.paints(),
                endComplete ? "" : ", INCOMPLETE");
    return endComplete ? 0 : 1;
}

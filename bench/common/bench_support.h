#pragma once
// What the benchmarks share: a clock that starts when the process is
// launched (so loading the libraries counts), the process's peak memory, an
// offscreen screen of a given size, and the wait that lets the description
// cache trust freshly written files.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace taleplay::bench {

// Call first thing in main: re-executes the program once with the launch
// time in its environment, so that sinceLaunchMs() counts the dynamic
// loading of every library as part of the start-up, as a person starting
// the program waits for it.
// `beforeLaunch` runs once, before the clock starts (a wait, say).
void markLaunch(char** argv, void (*beforeLaunch)() = nullptr);
double sinceLaunchMs();
// The launch as a reading of nowMs().
double launchedAtMs();

// Milliseconds of a monotonic clock, for intervals inside one process.
double nowMs();
// Processor time the process has used so far (all its threads, user and
// system), which a busy machine disturbs less than the time on the clock.
double processorMs();

// Peak resident memory of the process in MiB (the kernel's high-water mark),
// and its reset, so a later phase's own peak can be read.
double peakMiB();
bool resetPeak();

// The options of the programs that show the benchmark game:
// [--screen WIDTHxHEIGHT] [--end] [--decode-first LIST] FOLDER. False on
// anything else, or without a folder.
struct SceneOptions {
    int width = 1920, height = 1080;
    bool endScreen = false;
    // A game of photos' bench-photos.list, whose photos are decoded first.
    std::string decodeFirst;
    std::string folder;
};
bool parseSceneOptions(int argc, char** argv, SceneOptions& options);

// An offscreen screen of width x height at 96 dpi for the QApplication about
// to be made (the driver's own); false when it cannot be described.
bool useScreen(int width, int height);

// Lookups read a description file afresh while it is younger than the
// resolution of its times (tens of milliseconds where they carry fractions
// of a second, a few seconds on FAT): two versions written within it cannot
// be told apart. A player's games are old. Waits until every file of
// `folder` was last changed longer ago than that.
void waitUntilOlder(const std::filesystem::path& folder);

// The median, smallest and largest of some timings.
struct Spread {
    double median = 0, min = 0, max = 0;
};
Spread spreadOf(std::vector<double> values);

// A fresh folder under the temporary folder; removed by the caller.
std::filesystem::path makeTempFolder(const std::string& prefix);

} // namespace taleplay::bench

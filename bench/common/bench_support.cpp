// Launch clock, peak memory, offscreen screen and file age for the benchmarks.
#include "bench_support.h"

#include "playtest/offscreen.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace taleplay::bench {
namespace {

constexpr const char* kLaunchVariable = "TALEPLAY_BENCH_LAUNCH_NS";

std::int64_t monotonicNs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::int64_t launchNs = 0;
} // namespace

void markLaunch(char** argv, void (*beforeLaunch)()) {
    if (const char* given = std::getenv(kLaunchVariable)) {
        launchNs = std::strtoll(given, nullptr, 10);
        ::unsetenv(kLaunchVariable); // not for the programs a game may start
        return;
    }
    if (beforeLaunch)
        beforeLaunch();
    launchNs = monotonicNs();
    ::setenv(kLaunchVariable, std::to_string(launchNs).c_str(), 1);
    ::execv("/proc/self/exe", argv);
    // Without /proc the clock starts here: the libraries are loaded already.
    ::unsetenv(kLaunchVariable);
    std::fprintf(stderr, "bench: cannot re-execute, start-up times leave out loading\n");
}

double sinceLaunchMs() {
    return double(monotonicNs() - launchNs) / 1e6;
}

double launchedAtMs() {
    return double(launchNs) / 1e6;
}

double nowMs() {
    return double(monotonicNs()) / 1e6;
}

double processorMs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double peakMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0;
}

bool resetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return bool(clear);
}

bool parseSceneOptions(int argc, char** argv, SceneOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--screen" && i + 1 < argc) {
            if (!playtest::parseScreen(argv[++i], options.width, options.height))
                return false;
        } else if (a == "--end") {
            options.endScreen = true;
        } else if (a == "--decode-first" && i + 1 < argc) {
            options.decodeFirst = argv[++i];
        } else if (options.folder.empty() && a.rfind("--", 0) != 0) {
            options.folder = a;
        } else {
            return false;
        }
    }
    return !options.folder.empty();
}

bool useScreen(int width, int height) {
    return playtest::useOffscreenScreen(width, height);
}

void waitUntilOlder(const std::filesystem::path& folder) {
    std::int64_t newest = 0;
    bool fine = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        struct stat st {};
        if (::stat(entry.path().c_str(), &st) != 0)
            continue;
        for (const timespec& t : {st.st_mtim, st.st_ctim}) {
            newest = std::max(newest, std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec);
            fine = fine || t.tv_nsec != 0;
        }
    }
    // The description cache's windows (src/descr/description_cache.cpp), and
    // some margin.
    const std::int64_t wanted = fine ? 200'000'000 : 3'500'000'000;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t age = std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec - newest;
    if (age < wanted)
        std::this_thread::sleep_for(std::chrono::nanoseconds(wanted - age));
}

Spread spreadOf(std::vector<double> values) {
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

std::filesystem::path makeTempFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        return {};
    return pattern;
}

} // namespace taleplay::bench

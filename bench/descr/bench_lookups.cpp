// Times the description-file lookups on a 2,000-line file, the size of a
// large game's allbuttons.txt, and prints the lines scanned per second; then
// the same file saved as UTF-8 without a mark, which is looked over once
// more at its first Cyrillic letter to tell its encoding.
// Usage: bench_lookups [iterations]
#include "bench_support.h"
#include "core/codepage.h"
#include "descr/File_functions.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

constexpr int kLines = 2000;

// Lines shaped like real click rules and placements, with Cyrillic text; the
// key looked up sits on the last line, so every lookup reads the whole file.
std::string makeFile() {
    std::string text;
    for (int i = 1; i < kLines; ++i) {
        text += "*button" + std::to_string(i % 30 + 1) + "*click*picture" + std::to_string(i % 50) +
                "#visible#^picture" + std::to_string(i % 7) +
                "&invisible+text2=textcolor clRed~\xCA\xED\xEE\xEF\xEA\xE0 " + std::to_string(i) +
                "\r\n";
    }
    text += "*textwindow1*rightanswer*\xCC\xEE\xF1\xEA\xE2\xE0 - \xF1\xF2\xEE\xEB\xE8\xF6\xE0#"
            "*last*key*42#*lastflag*yes# \r\n";
    return text;
}

void report(const char* name, int iterations, const std::function<void()>& lookup) {
    lookup(); // warm the page cache and the buffers
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i)
        lookup();
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    double lines = static_cast<double>(kLines) * iterations;
    std::printf("%-28s %12.0f lines/s  %8.1f us/lookup\n", name, lines / took.count(),
                took.count() * 1e6 / iterations);
}

} // namespace

int main(int argc, char** argv) {
    int iterations = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (iterations < 1)
        iterations = 1;
    std::string folder = (std::filesystem::temp_directory_path() / "bench-lookups-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        return 1;
    const std::string file = folder + "/allbuttons.txt";
    std::ofstream(file, std::ios::binary) << makeFile();
    const std::string utf8File = folder + "/allbuttons-utf8.txt";
    std::ofstream(utf8File, std::ios::binary) << taleplay::cp1251::toUtf8(makeFile());
    // Files this young are read afresh at every lookup, as two versions
    // written within the clock's resolution cannot be told apart by their
    // times; a game's files are old.
    taleplay::bench::waitUntilOlder(folder);

    using namespace taleplay;
    volatile std::size_t sink = 0;
    report("keyValue", iterations, [&] { sink = sink + keyValue(file, "*last*key*").size(); });
    report("firstLineWithKeyAnyCase", iterations,
           [&] { sink = sink + firstLineWithKeyAnyCase(file, "*LAST*key*").size(); });
    report("nthLineWithKey", iterations,
           [&] { sink = sink + nthLineWithKey(file, "*last*", 1).size(); });
    report("countLinesWithKey", iterations,
           [&] { sink = sink + countLinesWithKey(file, "*button7*click*"); });
    report("countLinesWithAnswer", iterations, [&] {
        sink =
            sink + countLinesWithAnswer(file, "textwindow1*rightanswer*\xEC\xEE\xF1\xEA\xE2\xE0, "
                                              "\xF1\xF2\xEE\xEB\xE8\xF6\xE0#");
    });
    report("flagSet", iterations, [&] { sink = sink + flagSet(file, "*LASTFLAG*yes# "); });

    report("keyValue, UTF-8 file", iterations,
           [&] { sink = sink + keyValue(utf8File, "*last*key*").size(); });
    report("countLinesWithKey, UTF-8", iterations,
           [&] { sink = sink + countLinesWithKey(utf8File, "*button7*click*"); });

    std::filesystem::remove_all(folder);
    return 0;
}

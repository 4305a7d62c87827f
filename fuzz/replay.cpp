// Replays every file of a seed folder through a fuzz target's entry point,
// so the corpus (and every input fuzzing ever found failing) runs on every
// build. Built twice: for the targets without Qt, and with TALEPLAY_FUZZ_QT
// for those that start the player.
#include "targets.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TARGET SEED_FOLDER\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    std::vector<fs::path> seeds;
    for (const auto& entry : fs::recursive_directory_iterator(argv[2]))
        if (entry.is_regular_file())
            // Absolute: the player's targets change the working folder.
            seeds.push_back(fs::absolute(entry.path()));
    std::sort(seeds.begin(), seeds.end());
    if (seeds.empty()) {
        std::fprintf(stderr, "no seeds in %s\n", argv[2]);
        return 1;
    }
#ifdef TALEPLAY_FUZZ_QT
    int qtArgc = 1;
    taleplay::fuzz::startQt(qtArgc, argv);
#endif
    for (const fs::path& seed : seeds) {
        std::ifstream in(seed, std::ios::binary);
        std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            std::fprintf(stderr, "cannot read %s\n", seed.c_str());
            return 1;
        }
        std::printf("%s\n", seed.c_str());
        std::fflush(stdout);
#ifdef TALEPLAY_FUZZ_QT
        taleplay::fuzz::runQtTarget(argv[1], bytes.data(), bytes.size());
#else
        taleplay::fuzz::runTarget(argv[1], bytes.data(), bytes.size());
#endif
    }
    std::printf("%zu seeds replayed\n", seeds.size());
    return 0;
}

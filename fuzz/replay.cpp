// Replays every file of a seed folder through the fuzz targets' entry point,
// so the corpus (and every crash fuzzing ever found) runs on every build.
#include "fuzz_entry.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FORMAT SEED_FOLDER\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    std::vector<fs::path> seeds;
    for (const auto& entry : fs::recursive_directory_iterator(argv[2]))
        if (entry.is_regular_file())
            seeds.push_back(entry.path());
    std::sort(seeds.begin(), seeds.end());
    if (seeds.empty()) {
        std::fprintf(stderr, "no seeds in %s\n", argv[2]);
        return 1;
    }
    for (const fs::path& seed : seeds) {
        std::ifstream in(seed, std::ios::binary);
        std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        std::printf("%s\n", seed.c_str());
        std::fflush(stdout);
        taleplay::fuzz::decodeOne(argv[1], bytes.data(), bytes.size());
    }
    std::printf("%zu seeds replayed\n", seeds.size());
    return 0;
}

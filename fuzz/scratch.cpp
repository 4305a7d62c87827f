// The targets' scratch folder.
#include "scratch.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace taleplay::fuzz {
namespace {

struct Folder {
    std::string path;
    Folder() {
        namespace fs = std::filesystem;
        std::error_code error;
        std::string parent = "/dev/shm";
        if (!fs::is_directory(parent, error) || ::access(parent.c_str(), W_OK) != 0)
            parent = fs::temp_directory_path(error).string();
        std::string pattern = parent + "/taleplay-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("taleplay fuzz: no scratch folder");
            std::abort();
        }
        path = pattern + "/";
    }
    ~Folder() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
};

} // namespace

const std::string& scratchRoot() {
    static Folder folder;
    return folder.path;
}

void writeScratch(const std::string& relative, std::string_view bytes) {
    const std::filesystem::path path = scratchRoot() + relative;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "taleplay fuzz: cannot write %s\n", path.c_str());
        std::abort();
    }
}

void removeScratch(const std::string& relative) {
    std::error_code error;
    std::filesystem::remove_all(scratchRoot() + relative, error);
}

std::string safeName(std::string_view name) {
    std::string out;
    for (const char c : name.substr(0, 60))
        if (c != '/' && c != '\0' && c != '\n' && c != '\r')
            out += c;
    if (out == "." || out == "..")
        out.clear();
    return out;
}

std::uint64_t mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

std::uint64_t hashOf(std::string_view bytes) {
    std::uint64_t h = 0xCBF29CE484222325ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001B3ull;
    }
    return mix(h);
}

} // namespace taleplay::fuzz

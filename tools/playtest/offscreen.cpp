#include "playtest/offscreen.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace taleplay::playtest {
namespace {

std::string& screenFile() {
    static std::string name;
    return name;
}

} // namespace

bool useOffscreenScreen(int width, int height) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error)
        folder = "/tmp";
    std::string name = (folder / "taleplay-screen-XXXXXX.json").string();
    int fd = ::mkstemps(name.data(), 5);
    if (fd < 0)
        return false;
    const std::string json =
        "{\"screens\":[{\"name\":\"s\",\"x\":0,\"y\":0,\"width\":" + std::to_string(width) +
        ",\"height\":" + std::to_string(height) +
        ",\"logicalDpi\":96}],\"windowFrameMargins\":false}\n";
    bool ok = ::write(fd, json.data(), json.size()) == static_cast<ssize_t>(json.size());
    ::close(fd);
    removeOffscreenScreenFile(); // one description at a time
    screenFile() = name;
    // Also when the program ends before it has made its application.
    static const bool removedAtExit = std::atexit(removeOffscreenScreenFile) == 0;
    (void)removedAtExit;
    if (!ok)
        return false;
    const std::string platform = std::string("offscreen:configfile=") + name;
    ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    return true;
}

void removeOffscreenScreenFile() {
    if (screenFile().empty())
        return;
    std::remove(screenFile().c_str());
    screenFile().clear();
}

bool parseScreen(const std::string& text, int& width, int& height) {
    std::size_t x = text.find('x');
    if (x == std::string::npos || x == 0 || x + 1 >= text.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != x && (text[i] < '0' || text[i] > '9'))
            return false;
    if (x > 6 || text.size() - x - 1 > 6)
        return false;
    width = std::stoi(text.substr(0, x));
    height = std::stoi(text.substr(x + 1));
    return width > 0 && height > 0;
}

} // namespace taleplay::playtest

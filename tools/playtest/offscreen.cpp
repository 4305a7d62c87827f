#include "playtest/offscreen.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace taleplay::playtest {

bool useOffscreenScreen(int width, int height) {
    char name[] = "/tmp/taleplay-screen-XXXXXX.json";
    int fd = ::mkstemps(name, 5);
    if (fd < 0)
        return false;
    const std::string json =
        "{\"screens\":[{\"name\":\"s\",\"x\":0,\"y\":0,\"width\":" + std::to_string(width) +
        ",\"height\":" + std::to_string(height) +
        ",\"logicalDpi\":96}],\"windowFrameMargins\":false}\n";
    bool ok = ::write(fd, json.data(), json.size()) == static_cast<ssize_t>(json.size());
    ::close(fd);
    if (!ok)
        return false;
    const std::string platform = std::string("offscreen:configfile=") + name;
    ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    return true;
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

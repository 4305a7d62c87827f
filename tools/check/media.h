#pragma once
// What a sound or video file holds, read from its own bytes as far as the
// checker needs: the container, and the codec of each stream where the
// container names it. The player decodes with the media framework's plugin
// sets (base, good, bad, ugly and libav); the checker knows which codecs
// those read, and says so of the others.
#include <string>
#include <vector>

namespace taleplay::check {

struct MediaStream {
    bool video = false;
    std::string codec; // as the file names it: "MJPG", "format tag 0x0055", "avc1"
    bool decodable = true;
};

struct MediaFormat {
    std::string container; // "AVI", "WAV", ...; empty when not recognised
    std::vector<MediaStream> streams;
};

// Reads the first bytes of the file at `fsPath` (UTF-8). A file it does not
// recognise, or cannot read, has no container and no streams.
MediaFormat readMediaFormat(const std::string& fsPath);

} // namespace taleplay::check

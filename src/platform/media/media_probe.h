#pragma once
// What the machine's media framework makes of a file, asked directly rather
// than through Qt: whether it holds sound and how long that lasts, and, when
// a file cannot be played, why, naming the decoders the machine lacks.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace taleplay::media {

// Starts the media framework once, with the readers that play steadily
// preferred; Qt's media classes use the same framework. False when it does
// not start.
bool startMediaFramework();

class MediaProbe {
  public:
    // Sound: decodes the file's first sound stream as fast as it can (the
    // length of the sound is the sum of what was decoded). All: only opens
    // every stream of the file, enough to learn what is missing.
    enum class Streams { Sound, All };

    MediaProbe(const std::string& fsPath, Streams streams);
    ~MediaProbe();
    MediaProbe(const MediaProbe&) = delete;
    MediaProbe& operator=(const MediaProbe&) = delete;

    // Handles what the framework has said so far, waiting at most `ms` for
    // more. Returns whether the probe has ended: the file decoded to its end
    // (Sound), opened (All), or failed.
    bool poll(int ms);

    // Sound: a first piece of sound has been decoded.
    bool heardSound() const { return heard_.load(); }
    // The length of the sound decoded so far, in microseconds.
    std::int64_t decodedUs() const { return decodedNs_.load() / 1000; }
    bool ended() const { return ended_; }
    bool failed() const { return failed_; }

    // Why the file cannot be played, in one line: the decoders the machine
    // lacks for it ("missing H.264 decoder"), else the framework's error;
    // empty when nothing went wrong.
    std::string trouble() const;

  private:
    struct Pipeline;
    static void padAdded(void* element, void* pad, void* self);
    void handle(void* message);

    Streams streams_;
    std::unique_ptr<Pipeline> pipeline_;
    std::atomic<bool> heard_{false};
    std::atomic<bool> soundLinked_{false};
    std::atomic<std::int64_t> decodedNs_{0};
    bool ended_ = false;
    bool failed_ = false;
    std::vector<std::string> missing_;
    std::string error_;
};

// Asks why `fsPath` cannot be played (MediaProbe with all streams), waiting
// at most `ms`; empty when the framework finds nothing wrong with it.
std::string whyUnplayable(const std::string& fsPath, int ms);

// The one line on standard error that says a media file was not played and
// why: "taleplay: cannot play PATH: REASON".
void reportUnplayable(const std::string& fsPath, const std::string& reason);

} // namespace taleplay::media

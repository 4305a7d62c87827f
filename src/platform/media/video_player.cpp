// Video over GStreamer's own player element: frames to the player's video
// window, sound to the machine's device where it has one.
//
// Qt's media player is not used for video. Each load of a file in Qt 6.4's
// GStreamer player can deadlock between its own threads: it seeks to the
// start while the decoder's output is still being connected in a streaming
// thread, and the two wait for each other's locks for good (about once in
// two thousand loads; the window then stops answering). Here nothing is
// sent into the pipeline before it has finished loading.
#include "platform/media/module_parts.h"

#include "platform/media/media_probe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSize>

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <atomic>
#include <memory>
#include <sys/stat.h>

namespace taleplay::media {
namespace {

constexpr int kRenderWaitMs = 2000;

// The parts of playbin's "flags" used here (GstPlayFlags).
constexpr guint kPlayVideo = 1u << 0;
constexpr guint kPlayAudio = 1u << 1;
constexpr guint kPlayText = 1u << 2;
constexpr guint kPlayVisualisation = 1u << 3;

// What tells one version of a file from another: a file replaced or
// rewritten since it was loaded is loaded again.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::string& fsPath) {
    struct stat st;
    if (::stat(fsPath.c_str(), &st) != 0)
        return {};
    return {st.st_dev, st.st_ino, st.st_size,
            std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

template <class Done> void waitFor(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < kRenderWaitMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
}

// A decoded picture as the window paints it: 32-bit, rows of its own.
QImage imageOf(GstSample* sample) {
    GstCaps* caps = gst_sample_get_caps(sample);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstVideoInfo info;
    if (!caps || !buffer || !gst_video_info_from_caps(&info, caps))
        return {};
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
        return {};
    const QImage view(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                      GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                      GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32);
    QImage image = view.copy();
    gst_video_frame_unmap(&frame);
    return image;
}

class Player final : public VideoPlayer {
  public:
    explicit Player(VideoScreen screen) : screen_(std::move(screen)) {
        if (!startMediaFramework())
            return;
        pipeline_ = gst_element_factory_make("playbin", nullptr);
        GstElement* sink = gst_element_factory_make("appsink", nullptr);
        if (!pipeline_ || !sink) {
            if (sink)
                gst_object_unref(sink);
            if (pipeline_)
                gst_object_unref(pipeline_);
            pipeline_ = nullptr;
            return;
        }
        gst_object_ref_sink(pipeline_);
        // Pictures in the window's own pixel layout, each at its time.
        GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
        g_object_set(sink, "caps", caps, "sync", TRUE, "max-buffers", 2u, "drop", FALSE,
                     "enable-last-sample", FALSE, nullptr);
        gst_caps_unref(caps);
        GstAppSinkCallbacks callbacks{};
        callbacks.new_preroll = [](GstAppSink* s, gpointer self) {
            return static_cast<Player*>(self)->deliver(gst_app_sink_pull_preroll(s));
        };
        callbacks.new_sample = [](GstAppSink* s, gpointer self) {
            return static_cast<Player*>(self)->deliver(gst_app_sink_pull_sample(s));
        };
        gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
        g_object_set(pipeline_, "video-sink", sink, nullptr);
        // The video's sound plays with it where there is a device to play
        // it on; subtitles and visualisations never.
        guint flags = 0;
        g_object_get(pipeline_, "flags", &flags, nullptr);
        flags |= kPlayVideo;
        flags &= ~(kPlayText | kPlayVisualisation);
        if (!hasAudioDevice())
            flags &= ~kPlayAudio;
        g_object_set(pipeline_, "flags", flags, nullptr);
        // The pipeline's messages come from its own threads; the ones that
        // matter are handled on this one.
        GstBus* bus = gst_element_get_bus(pipeline_);
        gst_bus_set_sync_handler(
            bus,
            [](GstBus*, GstMessage* message, gpointer self) {
                static_cast<Player*>(self)->post(message);
                gst_message_unref(message); // dropped here, so ours to release
                return GST_BUS_DROP;
            },
            this, nullptr);
        gst_object_unref(bus);
    }

    ~Player() override {
        if (!pipeline_)
            return;
        // Its threads end here; what they posted and did not arrive is
        // dropped with the receiver.
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(pipeline_);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_object_unref(pipeline_);
    }

    // The file stays loaded, stopped and out of sight: showing the same
    // video again (every click of a button that shows it, every rebuild of
    // a screen with one) then needs no new load, the slowest part of
    // showing a video.
    void clear() override {
        stop();
        shown_ = false;
        playWhenLoaded_ = false;
        screen_.showFrame(QImage());
        screen_.setPlaying(false);
    }

    void render(const std::string& fsPath) override {
        shown_ = true;
        if (!pipeline_)
            return;
        if (rendered_ && !failed_ && hasVideo() && fsPath == loadedPath_ &&
            stampOf(fsPath) == loadedStamp_) {
            // Loaded already and unchanged on disk: its first picture again.
            stop();
            seekToStart();
            screen_.showFrame(firstFrame_);
            return;
        }
        load(fsPath);
        waitFor([this] { return loaded_ || failed_; });
        rendered_ = loaded_ && !failed_;
        if (failed_ || (rendered_ && !hasVideo())) {
            // Nothing is reported to the player; the media framework can
            // name what this machine lacks, for the author to read.
            if (const std::string why = whyUnplayable(fsPath, kRenderWaitMs); !why.empty())
                reportUnplayable(fsPath, why);
            return;
        }
        if (!rendered_)
            return;
        // Loaded, paused on its first picture, which tells the size.
        waitFor([this] { return size_.isValid() && !size_.isEmpty(); });
    }

    bool videoSize(int& width, int& height) const override {
        if (!shown_ || !rendered_ || !size_.isValid() || size_.isEmpty())
            return false;
        width = size_.width();
        height = size_.height();
        return true;
    }

    void play() override {
        if (!shown_ || !pipeline_ || failed_) // cleared since, or refused: nothing to play
            return;
        if (!rendered_) {
            // Asked to play while the file was still loading (a slow
            // machine): it starts as soon as the file is loaded.
            if (!loaded_ && !failed_ && !loadedPath_.empty())
                playWhenLoaded_ = true;
            return;
        }
        // From the beginning, also when this file was playing already.
        seekToStart();
        playingAsked_ = true;
        if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            failed_ = true;
            return;
        }
        setPlaying(true);
    }

    // Paused where it is; also a video played to its end, which its
    // pipeline leaves playing.
    void stop() override {
        if (pipeline_ && playingAsked_)
            gst_element_set_state(pipeline_, GST_STATE_PAUSED);
        playingAsked_ = false;
        setPlaying(false);
    }

    bool playing() const override { return playing_; }

    std::int64_t position() const override {
        gint64 ns = 0;
        if (pipeline_ && gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns) && ns >= 0)
            lastPosition_ = ns / 1000000;
        return lastPosition_;
    }

  private:
    // A new file: the pipeline stops and is set to it, then loads paused.
    void load(const std::string& fsPath) {
        // Stopped first: what its threads send until then is the last file's.
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        ++generation_;
        playingAsked_ = false;
        setPlaying(false);
        loadedPath_ = fsPath;
        loadedStamp_ = stampOf(fsPath);
        size_ = QSize();
        firstFrame_ = QImage();
        lastPosition_ = 0;
        rendered_ = loaded_ = failed_ = false;
        playWhenLoaded_ = false;
        GError* error = nullptr;
        gchar* uri = gst_filename_to_uri(fsPath.c_str(), &error);
        if (error)
            g_error_free(error);
        if (!uri) {
            failed_ = true;
            return;
        }
        g_object_set(pipeline_, "uri", uri, nullptr);
        g_free(uri);
        switch (gst_element_set_state(pipeline_, GST_STATE_PAUSED)) {
        case GST_STATE_CHANGE_FAILURE:
            failed_ = true;
            break;
        case GST_STATE_CHANGE_ASYNC:
            break; // loaded when its first picture is decoded
        default:
            loaded_ = true;
        }
    }

    void seekToStart() {
        gst_element_seek_simple(pipeline_, GST_FORMAT_TIME,
                                GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), 0);
        lastPosition_ = 0;
    }

    bool hasVideo() const {
        gint streams = 0;
        g_object_get(pipeline_, "n-video", &streams, nullptr);
        return streams > 0;
    }

    void setPlaying(bool on) {
        if (playing_ == on)
            return;
        playing_ = on;
        screen_.setPlaying(on);
    }

    // On a streaming thread: the picture goes to this thread, marked with
    // the load it belongs to.
    GstFlowReturn deliver(GstSample* sample) {
        if (!sample) // flushing: nothing to show
            return GST_FLOW_OK;
        QImage image = imageOf(sample);
        gst_sample_unref(sample);
        const int generation = generation_.load();
        QMetaObject::invokeMethod(
            &receiver_,
            [this, generation, image = std::move(image)] {
                if (generation == generation_.load())
                    onFrame(image);
            },
            Qt::QueuedConnection);
        return GST_FLOW_OK;
    }

    // On any of the pipeline's threads.
    void post(GstMessage* message) {
        const GstMessageType type = GST_MESSAGE_TYPE(message);
        const bool wanted =
            type == GST_MESSAGE_ERROR || type == GST_MESSAGE_EOS ||
            (type == GST_MESSAGE_ASYNC_DONE && GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline_));
        if (!wanted)
            return;
        const int generation = generation_.load();
        QMetaObject::invokeMethod(
            &receiver_,
            [this, generation, type] {
                if (generation == generation_.load())
                    handle(type);
            },
            Qt::QueuedConnection);
    }

    void handle(GstMessageType type) {
        switch (type) {
        case GST_MESSAGE_ERROR:
            failed_ = true;
            setPlaying(false);
            break;
        case GST_MESSAGE_EOS:
            setPlaying(false);
            break;
        case GST_MESSAGE_ASYNC_DONE:
            if (loaded_)
                break;
            loaded_ = true;
            if (playWhenLoaded_ && !failed_) {
                playWhenLoaded_ = false;
                rendered_ = true;
                play();
            }
            break;
        default:
            break;
        }
    }

    void onFrame(const QImage& image) {
        if (image.isNull())
            return;
        if (!size_.isValid() || size_.isEmpty()) {
            size_ = image.size();
            firstFrame_ = image;
        }
        // A cleared window shows nothing, also a picture the stopped
        // pipeline still delivers.
        if (shown_)
            screen_.showFrame(image);
    }

    VideoScreen screen_;
    GstElement* pipeline_ = nullptr;
    // Receives on this thread what the pipeline's threads send.
    QObject receiver_;
    std::atomic<int> generation_{0};
    QSize size_;
    QImage firstFrame_;
    std::string loadedPath_;
    FileStamp loadedStamp_;
    mutable std::int64_t lastPosition_ = 0;
    bool shown_ = false;
    bool loaded_ = false;
    bool failed_ = false;
    bool rendered_ = false;
    bool playing_ = false;
    bool playingAsked_ = false;
    bool playWhenLoaded_ = false;
};

} // namespace

std::unique_ptr<VideoPlayer> makeVideoPlayer(VideoScreen screen) {
    return std::make_unique<Player>(std::move(screen));
}

} // namespace taleplay::media

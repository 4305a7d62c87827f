// GStreamer's player element, its pictures through an application sink and
// its messages handed to the window's thread.
#include "platform/media/playbin.h"

#include "platform/media/media_probe.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

namespace taleplay::media {
namespace {

// The parts of playbin's "flags" used here (GstPlayFlags).
constexpr guint kPlayVideo = 1u << 0;
constexpr guint kPlayAudio = 1u << 1;
constexpr guint kPlayText = 1u << 2;
constexpr guint kPlayVisualisation = 1u << 3;

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

} // namespace

Playbin::Playbin(Streams streams, bool sound, Events events) : events_(std::move(events)) {
    if (!startMediaFramework())
        return;
    pipeline_ = gst_element_factory_make("playbin", nullptr);
    if (!pipeline_)
        return;
    gst_object_ref_sink(pipeline_);
    guint flags = 0;
    g_object_get(pipeline_, "flags", &flags, nullptr);
    // Subtitles and visualisations never.
    flags &= ~(kPlayText | kPlayVisualisation);
    if (sound)
        flags |= kPlayAudio;
    else
        flags &= ~kPlayAudio;
    if (streams == Streams::SoundAndPictures) {
        flags |= kPlayVideo;
        if (GstElement* sink = gst_element_factory_make("appsink", nullptr)) {
            // Pictures in the window's own pixel layout, each at its time.
            GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
            g_object_set(sink, "caps", caps, "sync", TRUE, "max-buffers", 2u, "drop", FALSE,
                         "enable-last-sample", FALSE, nullptr);
            gst_caps_unref(caps);
            GstAppSinkCallbacks callbacks{};
            callbacks.new_preroll = [](GstAppSink* s, gpointer self) {
                static_cast<Playbin*>(self)->deliver(gst_app_sink_pull_preroll(s));
                return GST_FLOW_OK;
            };
            callbacks.new_sample = [](GstAppSink* s, gpointer self) {
                static_cast<Playbin*>(self)->deliver(gst_app_sink_pull_sample(s));
                return GST_FLOW_OK;
            };
            gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, this, nullptr);
            g_object_set(pipeline_, "video-sink", sink, nullptr);
        }
    } else {
        flags &= ~kPlayVideo;
        // Never a window of the framework's own: its automatic choice tries
        // every kind of display, DirectFB's too, which crashes without one.
        if (GstElement* sink = gst_element_factory_make("fakesink", nullptr))
            g_object_set(pipeline_, "video-sink", sink, nullptr);
    }
    g_object_set(pipeline_, "flags", flags, nullptr);
    g_signal_connect(pipeline_, "element-setup", G_CALLBACK(&Playbin::elementSetUp), this);
    // The pipeline's messages come from its own threads; the few that
    // matter are handled on this one.
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(
        bus,
        [](GstBus*, GstMessage* message, gpointer self) {
            static_cast<Playbin*>(self)->post(message);
            gst_message_unref(message); // dropped here, so ours to release
            return GST_BUS_DROP;
        },
        this, nullptr);
    gst_object_unref(bus);
}

Playbin::~Playbin() {
    if (!pipeline_)
        return;
    // Its threads end here; what they posted and did not arrive is dropped
    // with the receiver.
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(pipeline_);
}

// On a streaming thread: the type the file's contents were found to be.
void Playbin::elementSetUp(GstElement*, GstElement* element, void* self) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (!factory || g_strcmp0(GST_OBJECT_NAME(factory), "typefind") != 0)
        return;
    g_signal_connect(element, "have-type",
                     G_CALLBACK(+[](GstElement*, guint, GstCaps* caps, gpointer data) {
                         if (caps && gst_caps_get_size(caps) > 0 &&
                             g_str_has_prefix(
                                 gst_structure_get_name(gst_caps_get_structure(caps, 0)),
                                 "image/"))
                             static_cast<Playbin*>(data)->stillPicture_ = true;
                     }),
                     self);
}

void Playbin::load(const std::string& fsPath) {
    loaded_ = failed_ = ended_ = false;
    lastPositionMs_ = 0;
    if (!pipeline_) {
        failed_ = true;
        return;
    }
    // Stopped first: what its threads send until then is the last file's.
    gst_element_set_state(pipeline_, GST_STATE_NULL);
    ++generation_;
    stillPicture_ = false;
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
        break; // loaded when its start is decoded
    default:
        loaded_ = true;
    }
}

bool Playbin::play() {
    if (!pipeline_ || failed_)
        return false;
    ended_ = false;
    if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        failed_ = true;
        return false;
    }
    return true;
}

void Playbin::pause() {
    if (!pipeline_ || failed_)
        return;
    GstState state = GST_STATE_NULL;
    GstState pending = GST_STATE_VOID_PENDING;
    gst_element_get_state(pipeline_, &state, &pending, 0);
    if (state == GST_STATE_PLAYING || pending == GST_STATE_PLAYING)
        gst_element_set_state(pipeline_, GST_STATE_PAUSED);
}

void Playbin::seekToStart() {
    if (!pipeline_ || !loaded_ || failed_)
        return;
    gst_element_seek_simple(pipeline_, GST_FORMAT_TIME,
                            GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), 0);
    ended_ = false;
    lastPositionMs_ = 0;
}

bool Playbin::hasPictures() const {
    gint streams = 0;
    if (pipeline_)
        g_object_get(pipeline_, "n-video", &streams, nullptr);
    return streams > 0;
}

std::int64_t Playbin::positionMs() const {
    gint64 ns = 0;
    if (pipeline_ && gst_element_query_position(pipeline_, GST_FORMAT_TIME, &ns) && ns >= 0)
        lastPositionMs_ = ns / 1000000;
    return lastPositionMs_;
}

// On a streaming thread: the picture goes to the window's thread, marked
// with the load it belongs to.
void Playbin::deliver(GstSample* sample) {
    if (!sample) // flushing: nothing to show
        return;
    QImage image = imageOf(sample);
    gst_sample_unref(sample);
    if (image.isNull())
        return;
    toWindowThread([this, image = std::move(image)] {
        if (events_.frame)
            events_.frame(image);
    });
}

// On any of the pipeline's threads.
void Playbin::post(GstMessage* message) {
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    const bool wanted =
        type == GST_MESSAGE_ERROR || type == GST_MESSAGE_EOS ||
        (type == GST_MESSAGE_ASYNC_DONE && GST_MESSAGE_SRC(message) == GST_OBJECT(pipeline_));
    if (!wanted)
        return;
    toWindowThread([this, type] { handle(type); });
}

// From any thread: `work` runs on the window's thread, unless another file
// has been loaded by then.
void Playbin::toWindowThread(std::function<void()> work) {
    const int generation = generation_.load();
    QMetaObject::invokeMethod(
        &receiver_,
        [this, generation, work = std::move(work)] {
            if (generation == generation_.load())
                work();
        },
        Qt::QueuedConnection);
}

void Playbin::handle(int type) {
    switch (type) {
    case GST_MESSAGE_ERROR:
        if (failed_)
            return;
        failed_ = true;
        if (events_.failed)
            events_.failed();
        break;
    case GST_MESSAGE_EOS:
        ended_ = true;
        if (events_.ended)
            events_.ended();
        break;
    case GST_MESSAGE_ASYNC_DONE: // also after every seek: the first one counts
        if (loaded_)
            return;
        loaded_ = true;
        if (events_.loaded)
            events_.loaded();
        break;
    default:
        break;
    }
}

} // namespace taleplay::media

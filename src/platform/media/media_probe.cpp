// The media framework asked directly: GStreamer's decoding pipeline with
// sinks that throw everything away.
#include "platform/media/media_probe.h"

#include <gst/audio/audio.h>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <QElapsedTimer>
#include <cstdio>

namespace taleplay::media {
namespace {

// GStreamer 1.22's own AIFF reader now and then stalls before its first
// sound when a decoding bin plugs it (it pushes before it is linked); libav's
// reader of the same files does not. Where libav's is there, it is the one
// chosen, by the probe and by Qt's player alike.
void preferSteadyReaders() {
    GstRegistry* registry = gst_registry_get();
    GstPluginFeature* libav = gst_registry_lookup_feature(registry, "avdemux_aiff");
    GstPluginFeature* own = gst_registry_lookup_feature(registry, "aiffparse");
    if (libav && own && gst_plugin_feature_get_rank(libav) >= GST_RANK_MARGINAL)
        gst_plugin_feature_set_rank(own, GST_RANK_NONE);
    if (libav)
        gst_object_unref(libav);
    if (own)
        gst_object_unref(own);
}

} // namespace

bool startMediaFramework() {
    static const bool started = [] {
        GError* error = nullptr;
        const bool ok = gst_init_check(nullptr, nullptr, &error);
        if (error)
            g_error_free(error);
        if (ok)
            preferSteadyReaders();
        return ok;
    }();
    return started;
}

namespace {

std::string taken(gchar* text) {
    std::string out = text ? text : "";
    g_free(text);
    return out;
}

// What a missing-plugin message says is missing, with the code the file
// gives for an unknown format, which the framework's own words leave out.
std::string missingPart(GstMessage* message) {
    std::string what = taken(gst_missing_plugin_message_get_description(message));
    const GstStructure* s = gst_message_get_structure(message);
    GstCaps* caps = nullptr;
    if (s && gst_structure_get(s, "detail", GST_TYPE_CAPS, &caps, nullptr) && caps) {
        if (gst_caps_get_size(caps) > 0) {
            const GstStructure* detail = gst_caps_get_structure(caps, 0);
            guint32 fourcc = 0;
            int codec = 0;
            if (gst_structure_get_uint(detail, "fourcc", &fourcc) ||
                gst_structure_get_int(detail, "fourcc", reinterpret_cast<int*>(&fourcc))) {
                char code[5] = {static_cast<char>(fourcc & 0xFF),
                                static_cast<char>((fourcc >> 8) & 0xFF),
                                static_cast<char>((fourcc >> 16) & 0xFF),
                                static_cast<char>((fourcc >> 24) & 0xFF), 0};
                for (char& c : code)
                    if (c && (c < 0x20 || c > 0x7E))
                        c = '?';
                what += std::string(" (four-character code '") + code + "')";
            } else if (gst_structure_get_int(detail, "codec_id", &codec)) {
                char tag[16];
                std::snprintf(tag, sizeof tag, "0x%04X", static_cast<unsigned>(codec) & 0xFFFFu);
                what += std::string(" (format tag ") + tag + ")";
            }
        }
        gst_caps_unref(caps);
    }
    return what;
}

// Whether a missing-plugin message is about decoding pictures, which a
// sound does without.
bool aboutPictures(GstMessage* message) {
    const GstStructure* s = gst_message_get_structure(message);
    const gchar* type = s ? gst_structure_get_string(s, "type") : nullptr;
    if (!type || g_strcmp0(type, "decoder") != 0)
        return false;
    GstCaps* caps = nullptr;
    bool pictures = false;
    if (gst_structure_get(s, "detail", GST_TYPE_CAPS, &caps, nullptr) && caps) {
        if (gst_caps_get_size(caps) > 0) {
            const gchar* name = gst_structure_get_name(gst_caps_get_structure(caps, 0));
            pictures = g_str_has_prefix(name, "video/") || g_str_has_prefix(name, "image/");
        }
        gst_caps_unref(caps);
    }
    return pictures;
}

} // namespace

struct MediaProbe::Pipeline {
    GstElement* pipeline = nullptr;
    GstBus* bus = nullptr;
    std::atomic<bool> allStreamsSeen{false};

    ~Pipeline() {
        if (pipeline)
            gst_element_set_state(pipeline, GST_STATE_NULL);
        if (bus)
            gst_object_unref(bus);
        if (pipeline)
            gst_object_unref(pipeline);
    }
};

namespace {

// Adds up the length of the decoded sound as it passes.
GstPadProbeReturn countSound(GstPad* pad, GstPadProbeInfo* info, gpointer data) {
    auto* counted = static_cast<std::pair<std::atomic<std::int64_t>*, std::atomic<bool>*>*>(data);
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (!buffer)
        return GST_PAD_PROBE_OK;
    if (GST_BUFFER_DURATION_IS_VALID(buffer)) {
        *counted->first += static_cast<std::int64_t>(GST_BUFFER_DURATION(buffer));
    } else if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
        GstAudioInfo audio;
        if (gst_audio_info_from_caps(&audio, caps) && audio.bpf > 0 && audio.rate > 0)
            *counted->first += static_cast<std::int64_t>(
                gst_util_uint64_scale(gst_buffer_get_size(buffer) / static_cast<guint>(audio.bpf),
                                      GST_SECOND, static_cast<guint64>(audio.rate)));
        gst_caps_unref(caps);
    }
    *counted->second = true;
    return GST_PAD_PROBE_OK;
}

} // namespace

MediaProbe::MediaProbe(const std::string& fsPath, Streams streams)
    : streams_(streams), pipeline_(std::make_unique<Pipeline>()) {
    const auto fail = [this](std::string why) {
        error_ = std::move(why);
        failed_ = ended_ = true;
    };
    if (!startMediaFramework()) {
        fail("the media framework does not start");
        return;
    }
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(fsPath.c_str(), &error);
    if (!uri) {
        std::string why = error ? error->message : "no such file";
        if (error)
            g_error_free(error);
        fail(why);
        return;
    }
    GstElement* pipeline = gst_pipeline_new(nullptr);
    GstElement* source = gst_element_factory_make("uridecodebin", nullptr);
    if (!pipeline || !source) {
        g_free(uri);
        if (pipeline)
            gst_object_unref(pipeline);
        if (source)
            gst_object_unref(source);
        fail("the media framework lacks its decoding element");
        return;
    }
    g_object_set(source, "uri", uri, nullptr);
    g_free(uri);
    gst_bin_add(GST_BIN(pipeline), source);
    pipeline_->pipeline = pipeline;
    pipeline_->bus = gst_element_get_bus(pipeline);
    g_signal_connect(source, "pad-added", G_CALLBACK(&MediaProbe::padAdded), this);
    g_signal_connect(source, "no-more-pads", G_CALLBACK(+[](GstElement*, gpointer data) {
                         static_cast<Pipeline*>(data)->allStreamsSeen = true;
                     }),
                     pipeline_.get());
    // Sound is decoded at once and to its end; for the other question the
    // streams only need to be opened.
    gst_element_set_state(pipeline,
                          streams == Streams::Sound ? GST_STATE_PLAYING : GST_STATE_PAUSED);
}

MediaProbe::~MediaProbe() = default;

void MediaProbe::padAdded(void* /*element*/, void* padPointer, void* self) {
    auto* probe = static_cast<MediaProbe*>(self);
    auto* pad = static_cast<GstPad*>(padPointer);
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps)
        caps = gst_pad_query_caps(pad, nullptr);
    const bool sound =
        caps && gst_caps_get_size(caps) > 0 &&
        g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "audio/x-raw");
    if (caps)
        gst_caps_unref(caps);

    // Every stream flows into a sink that drops it, so none holds the
    // others up; only the first sound stream is counted.
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (!sink)
        return;
    g_object_set(sink, "sync", FALSE, nullptr);
    gst_bin_add(GST_BIN(probe->pipeline_->pipeline), sink);
    gst_element_sync_state_with_parent(sink);
    GstPad* sinkPad = gst_element_get_static_pad(sink, "sink");
    if (sound && !probe->soundLinked_.exchange(true)) {
        auto* counted = new std::pair<std::atomic<std::int64_t>*, std::atomic<bool>*>(
            &probe->decodedNs_, &probe->heard_);
        gst_pad_add_probe(
            sinkPad, GST_PAD_PROBE_TYPE_BUFFER, countSound, counted, [](gpointer data) {
                delete static_cast<std::pair<std::atomic<std::int64_t>*, std::atomic<bool>*>*>(
                    data);
            });
    }
    gst_pad_link(pad, sinkPad);
    gst_object_unref(sinkPad);
}

void MediaProbe::handle(void* m) {
    auto* message = static_cast<GstMessage*>(m);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ELEMENT:
        if (gst_is_missing_plugin_message(message) &&
            !(streams_ == Streams::Sound && aboutPictures(message)))
            missing_.push_back(missingPart(message));
        break;
    case GST_MESSAGE_ERROR: {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        if (error_.empty() && error)
            error_ = error->message;
        if (error)
            g_error_free(error);
        failed_ = ended_ = true;
        break;
    }
    case GST_MESSAGE_EOS:
        ended_ = true;
        break;
    case GST_MESSAGE_ASYNC_DONE:
        if (streams_ == Streams::All)
            ended_ = true;
        break;
    default:
        break;
    }
}

bool MediaProbe::poll(int ms) {
    if (ended_ || !pipeline_->bus)
        return ended_;
    const auto types = static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS |
                                                   GST_MESSAGE_ELEMENT | GST_MESSAGE_ASYNC_DONE);
    GstMessage* message = gst_bus_timed_pop_filtered(
        pipeline_->bus, static_cast<GstClockTime>(std::max(ms, 0)) * GST_MSECOND, types);
    while (message) {
        handle(message);
        gst_message_unref(message);
        if (ended_)
            break;
        message = gst_bus_pop_filtered(pipeline_->bus, types);
    }
    // A file whose streams are all known and none of them sound holds none;
    // it is not decoded to its end to find that out.
    if (!ended_ && streams_ == Streams::Sound && pipeline_->allStreamsSeen && !soundLinked_)
        ended_ = true;
    return ended_;
}

std::string MediaProbe::trouble() const {
    if (!missing_.empty()) {
        std::string out = "missing ";
        for (std::size_t i = 0; i < missing_.size(); ++i)
            out += (i ? ", " : "") + missing_[i];
        return out;
    }
    return failed_ ? error_ : std::string();
}

std::string whyUnplayable(const std::string& fsPath, int ms) {
    if (fsPath.empty())
        return {};
    MediaProbe probe(fsPath, MediaProbe::Streams::All);
    QElapsedTimer clock;
    clock.start();
    while (!probe.poll(20) && clock.elapsed() < ms) {
    }
    return probe.trouble();
}

void reportUnplayable(const std::string& fsPath, const std::string& reason) {
    std::fprintf(stderr, "taleplay: cannot play %s: %s\n", fsPath.c_str(), reason.c_str());
    std::fflush(stderr);
}

} // namespace taleplay::media

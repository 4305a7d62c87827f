// The media module's one exported function.
#include "platform/media/module_parts.h"

extern "C" __attribute__((visibility("default"))) const taleplay::media::Module*
taleplay_media_module() {
    static const taleplay::media::Module module{
        taleplay::media::kModuleVersion, taleplay::media::hasAudioDevice,
        taleplay::media::openSound,      taleplay::media::makeVideoPlayer,
        taleplay::media::startSpeech,
    };
    return &module;
}

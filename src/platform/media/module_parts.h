#pragma once
// The parts of the media module, each in its own file, that its exported
// function hands out.
#include "platform/media_module.h"

namespace taleplay::media {

bool hasAudioDevice();
std::unique_ptr<SoundStream> openSound(const std::string& fsPath);
std::unique_ptr<VideoPlayer> makeVideoPlayer(VideoScreen screen);
std::unique_ptr<SpeechEngine> startSpeech(const std::optional<QStringList>& engines,
                                          std::function<void(SpeechEngine::State)> changed);

} // namespace taleplay::media

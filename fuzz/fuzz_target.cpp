// A libFuzzer program for one target, chosen when it is built
// (TALEPLAY_FUZZ_TARGET; TALEPLAY_FUZZ_QT for those that start the player).
#include "targets.h"

#include <cstdlib>

#ifdef TALEPLAY_FUZZ_QT
// The media framework's own threads and waits take much of the time of an
// input that plays a sound or a video; they run only with TALEPLAY_FUZZ_MEDIA=1.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    taleplay::fuzz::startQt(*argc, *argv, std::getenv("TALEPLAY_FUZZ_MEDIA") != nullptr);
    return 0;
}
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
#ifdef TALEPLAY_FUZZ_QT
    taleplay::fuzz::runQtTarget(TALEPLAY_FUZZ_TARGET, data, size);
#else
    taleplay::fuzz::runTarget(TALEPLAY_FUZZ_TARGET, data, size);
#endif
    return 0;
}

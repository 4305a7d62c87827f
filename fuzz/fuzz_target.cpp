// A libFuzzer target for one decoder, chosen when the target is built.
#include "fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    taleplay::fuzz::decodeOne(TALEPLAY_FUZZ_FORMAT, data, size);
    return 0;
}

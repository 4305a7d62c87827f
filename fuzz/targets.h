#pragma once
// Every fuzz target, by name: each is a libFuzzer program of its own in the
// fuzz build (TALEPLAY_FUZZ) and, in ordinary builds, a test that replays its
// seed corpus through the same entry, so that an input that once failed is
// run again on every build. fuzz/README.md tells what each target reaches.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace taleplay::fuzz {

// The targets that need no Qt: the picture decoders (by format, see
// fuzz_entry.h) and the text layer's.
inline constexpr std::string_view kTextTargets[] = {"lookups", "values", "rules", "checker"};

void fuzzLookups(const std::uint8_t* data, std::size_t size);
void fuzzValues(const std::uint8_t* data, std::size_t size);
void fuzzRules(const std::uint8_t* data, std::size_t size);
void fuzzChecker(const std::uint8_t* data, std::size_t size);

// Runs the target or picture format `name` on one input; an unknown name
// aborts.
void runTarget(std::string_view name, const std::uint8_t* data, std::size_t size);

// The targets that start the player, offscreen.
inline constexpr std::string_view kQtTargets[] = {"scene", "game"};

// Makes the application (offscreen, 640 x 480) that the Qt targets run
// in; call once, first. Without `media` the player goes without sound and
// video, as on a machine without the media module.
void startQt(int& argc, char** argv, bool media = true);

void fuzzScene(const std::uint8_t* data, std::size_t size);
void fuzzGame(const std::uint8_t* data, std::size_t size);

void runQtTarget(std::string_view name, const std::uint8_t* data, std::size_t size);

} // namespace taleplay::fuzz

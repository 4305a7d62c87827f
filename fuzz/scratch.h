#pragma once
// The folder where the targets turn their inputs into files: in memory where
// the machine offers that (/dev/shm), made once per process and removed when
// it ends. Inputs never name a path of their own outside it.
#include <cstdint>
#include <string>
#include <string_view>

namespace taleplay::fuzz {

// The folder, ending in '/'.
const std::string& scratchRoot();

// Writes `bytes` to `relative` inside the folder, making folders on the way.
void writeScratch(const std::string& relative, std::string_view bytes);

// Removes `relative` inside the folder with all it holds.
void removeScratch(const std::string& relative);

// A file name made safe from whatever an input says: no separators, no
// "." or "..", no NUL, at most 60 bytes; empty when nothing is left.
std::string safeName(std::string_view name);

// A 64-bit mix of the bytes, so that a target's choices follow its input.
std::uint64_t hashOf(std::string_view bytes);
std::uint64_t mix(std::uint64_t x);

} // namespace taleplay::fuzz

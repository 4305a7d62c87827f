#pragma once
// The one entry point every decoder's fuzz target and the seed replay test
// go through, so a seed that once crashed a fuzzer is replayed exactly.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace taleplay::fuzz {

// The formats with a decoder of their own, by the names of their corpus
// folders and fuzz targets.
inline constexpr std::string_view kFormats[] = {"png", "jpeg", "gif", "tiff", "fax", "bmp", "ico",
                                                "tga", "pcx",  "pnm", "sgi",  "psd", "cut", "cel",
                                                "rla", "pcd",  "psp", "eps",  "wmf", "emf"};

// Decodes `data` as `format`. A PictureError is the expected outcome of bad
// input and is swallowed; any other exception escapes, and a decoded picture
// that breaks the Picture invariants aborts. Metafiles (and EPS files' WMF
// previews) are played into their display list, which is checked the same
// way; drawing it needs Qt and is not fuzzed here. Dr. Halo input is read
// both as a picture and as the palette file of a small fixed picture.
void decodeOne(std::string_view format, const std::uint8_t* data, std::size_t size);

} // namespace taleplay::fuzz

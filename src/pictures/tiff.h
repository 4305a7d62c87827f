#pragma once
// Fax pictures, beside the TIFF decoder they share.
#include "pictures/picture.h"

namespace taleplay::pictures {

// A .fax file: a TIFF file (fax programs often write TIFF class F under this
// name), or raw Group 3 one-dimensional fax data without any header, as fax
// modems and fax2tiff's input have it: 1728 pixels a row (the standard A4
// fax width), rows found by their end-of-line codes, bit order tried least
// significant bit first and then most significant bit first.
Picture decodeFax(Bytes data, std::size_t size);

} // namespace taleplay::pictures

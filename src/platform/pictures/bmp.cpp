#include "platform/pictures/picture.h"

#include "platform/errors.h"

namespace taleplay::pictures {

// FIXME: placeholder until this decoder lands; it must never reach a release.
Picture decodeBmp(Bytes, std::size_t) { throw PictureError("bmp pictures are not supported yet"); }

} // namespace taleplay::pictures

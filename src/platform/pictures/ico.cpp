#include "platform/pictures/picture.h"

#include "platform/errors.h"

namespace taleplay::pictures {

// FIXME: placeholder until this decoder lands; it must never reach a release.
Picture decodeIco(Bytes, std::size_t) { throw PictureError("ico pictures are not supported yet"); }

} // namespace taleplay::pictures

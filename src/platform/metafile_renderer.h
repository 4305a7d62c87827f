#pragma once
// Draws the display lists of Windows metafiles (pictures/metafile.h) with
// QPainter, as GDI would: no smoothing, raster operations, a transparent
// background where nothing is drawn.
#include "pictures/metafile.h"

namespace taleplay::platform {

// Lets the picture loader draw metafiles (and EPS files' WMF previews).
// Needs a QGuiApplication for the fonts; calling it again does nothing.
void registerMetafileRenderer();

pictures::Picture renderMetafile(const pictures::metafile::Metafile& m);

} // namespace taleplay::platform

#pragma once

#include <QByteArrayView>
#include <QImage>

namespace calyxa {

// Whether the bytes begin as a JPEG 2000 file (JP2) or a bare JPEG 2000 codestream: how the
// large pictures of many .icns files are stored.
bool isJpeg2000(QByteArrayView bytes);

// The picture in JPEG 2000 data, decoded with OpenJPEG at the smallest of its resolution levels
// that is still at least `edge` pixels on both sides (the whole picture when it is smaller).
// Null for data that is malformed, truncated, in a colour model other than grey or RGB (with or
// without alpha), or wider or higher than `maxEdge`, which is refused before decoding.
// Reentrant: any number of threads may decode at once. The library's messages are dropped.
QImage decodeJpeg2000(QByteArrayView bytes, int edge, int maxEdge);

}  // namespace calyxa

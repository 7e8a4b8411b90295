#pragma once
// A small GIF89a encoder: Qt reads GIF but cannot write it, and the preview
// pictures of a library are GIF or JPEG.
//
// Colours: an image with at most 256 distinct colours keeps them exactly.
// Any other image is mapped onto a fixed palette, a 6x6x6 colour cube plus a
// ramp of 40 greys (39 when the picture has transparent pixels): each pixel
// takes its nearest cube colour, or the nearest grey when that is off by no
// more in any channel. No dithering. So no channel is off by more than half a
// cube step (26), and greys by no more than 4. Pixels with alpha below 128
// become transparent, all others are written opaque.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace vv {

// The complete file content; empty for a null image or one wider or higher
// than 65535 pixels.
QByteArray EncodeGif(const QImage &image);

// Writes EncodeGif(image) to path, replacing the file in one step; false when
// the image cannot be encoded or the file cannot be written.
bool WriteGif(const QImage &image, const QString &path);

} // namespace vv

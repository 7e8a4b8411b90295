#pragma once
// A small GIF89a encoder: Qt reads GIF but cannot write it, and the preview
// pictures of a library are GIF or JPEG.
//
// Colours: an image with at most 256 distinct colours keeps them exactly;
// any other image is mapped onto a fixed 6x7x6 colour cube (nearest level
// per channel, no dithering), so no channel is off by more than half a cube
// step (26 for red and blue, 22 for green). Pixels with alpha below 128
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

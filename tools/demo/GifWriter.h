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

#include <QPoint>
#include <QSize>

namespace vv {

// How a picture is laid out in the file. The defaults make the plain GIF89a
// the demo uses: one frame covering the logical screen, one global palette.
// The others make the kinds of files readers meet elsewhere.
struct GifLayout {
    QSize screen; // the logical screen; empty: the picture's size
    QPoint offset; // where the frame lies on the screen
    bool gif87 = false; // "GIF87a" in the header
    bool interlaced = false;
    bool localPalette = false; // the palette comes with the frame, the screen has none
    int background = 0; // the screen's background colour index
    int minCodeSize = 2; // the LZW minimum code size, raised when the palette needs more
    bool clearWhenFull = true; // else the full table is kept and codes stay 12 bits wide
    bool endCode = true;
};

// The complete file content; empty for a null image or one wider or higher
// than 65535 pixels.
QByteArray EncodeGif(const QImage &image, const GifLayout &layout = GifLayout());

// Writes EncodeGif(image) to path, replacing the file in one step; false when
// the image cannot be encoded or the file cannot be written.
bool WriteGif(const QImage &image, const QString &path);

} // namespace vv

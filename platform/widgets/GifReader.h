#pragma once
// The first picture of a GIF file, decoded without an image plugin and several
// times faster than Qt's reader, to the same pixels: the logical screen,
// RGB32, or ARGB32 when the picture has a transparent colour, painted as Qt
// paints the first frame (background, offset frames, interlacing, colours
// beyond the palette, data past the frame's last row).

#include <QByteArrayView>
#include <QImage>
#include <QRect>

namespace vv {

struct GifPicture {
    enum Outcome {
        Complete,
        Truncated, // the data ends before the frame does: what came is shown
        Damaged, // impossible codes or a short control block: shown up to there
        TooLarge, // beyond QImageReader::allocationLimit(); nothing allocated
        NoPicture, // no GIF, or it ends before its first frame's data
    };
    QImage image; // null unless Complete, Truncated or Damaged
    Outcome outcome = NoPicture;
    QRect frame; // where the first frame lies on the logical screen
    // The frame brings its own palette. Qt paints what lies outside such a
    // frame from a palette it has not read yet; here its own colours.
    bool localPalette = false;
};

GifPicture DecodeGif(QByteArrayView bytes);

// True for the six bytes every GIF starts with.
bool IsGif(QByteArrayView head);

} // namespace vv

#pragma once
// Pictures made from the first page of a PDF document, and picture files
// checked before they replace a template. Qt PDF draws the page; every file
// is written beside its target and renamed, so nobody ever sees half a
// picture, and an existing picture is never overwritten by a preview.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace vv {

struct RenderedPage {
    enum Status { Rendered, Encrypted, Damaged } status = Damaged;
    QImage image; // white behind the page, no transparency
    int pages = 0;
};

// The first page at the given width, the height after the page's shape (a
// strip-like page is cut at four times the width). Encrypted: opens only
// with a password. Damaged: missing, no PDF, no page, or nothing drawn.
RenderedPage RenderFirstPage(const QString &pdf, int width);

// How wide a preview is drawn: as the demo's and the add dialog's previews.
inline constexpr int kPreviewWidth = 600;

enum class PreviewStatus {
    Made,
    Exists,    // a picture of that name is already there: left alone
    Encrypted, // the document needs a password
    Damaged,   // the document cannot be drawn
    NotWritten // the picture could not be written (folder read-only, disk full)
};

// The first page of pdf as a JPEG named jpg.
PreviewStatus MakePreview(const QString &pdf, const QString &jpg);

// What a replacement template may be: a JPEG, PNG, GIF or BMP picture, or a
// PDF document whose first page is drawn into a PNG.
struct TemplatePicture {
    enum Status { Ready, Missing, NotAPicture, TooLarge, Encrypted, Damaged } status = Missing;
    QByteArray bytes; // Ready: the picture file's bytes as they are, or the drawn page's PNG
    QSize size;
};

// More would be no form but a poster: 40 megapixels hold an A4 page scanned
// at 600 dpi (35 megapixels).
inline constexpr qint64 kMaxTemplatePixels = 40'000'000;
// A PDF page is drawn for a template at this resolution.
inline constexpr int kTemplateDpi = 200;

// Looks at the header only before it accepts a picture, so a huge one is
// refused without being decoded.
TemplatePicture PrepareTemplatePicture(const QString &source);

} // namespace vv

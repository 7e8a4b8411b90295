#pragma once
// Pictures made from the first page of a PDF document, and picture files
// checked before they replace a template. Qt PDF draws the page, in a module
// loaded on first use; every file is written beside its target and renamed,
// so nobody ever sees half a picture, and an existing picture is never
// overwritten by a preview.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

class QLibrary;

namespace vv {

class PdfDrawer;

// The module that links Qt PDF. It is looked for in one fixed place, the
// folder of the program file (an installation's members may replace the
// program there as well), never along a search path or in the current folder.
class PdfModule {
public:
    // folder "" names no module at all.
    explicit PdfModule(const QString &folder);
    PdfModule(const PdfModule &) = delete;
    PdfModule &operator=(const PdfModule &) = delete;
    ~PdfModule();

    // The one beside the running program.
    static PdfModule &Program();
    // module, or Program() for null.
    static PdfModule &Or(PdfModule *module) { return module ? *module : Program(); }
    static QString FileName();

    // Loads the module on the first call. Null while it is missing, no
    // library, or of another build; the next call tries again, so a module
    // put in place meanwhile is found. GUI thread only.
    const PdfDrawer *drawer();
    // Where the module is looked for; "" for none.
    const QString &file() const { return m_file; }

private:
    QString m_file;
    std::unique_ptr<QLibrary> m_library;
    const PdfDrawer *m_drawer = nullptr;
};

struct RenderedPage {
    enum Status { Rendered, Encrypted, Damaged, NoPdfModule } status = Damaged;
    QImage image; // white behind the page, no transparency
    int pages = 0;
};

// In the functions below a null module stands for PdfModule::Program().

// The first page at the given width, the height after the page's shape (a
// strip-like page is cut at four times the width). Encrypted: opens only
// with a password. Damaged: missing, no PDF, no page, or nothing drawn.
// NoPdfModule: an existing file, but nothing to draw it with.
RenderedPage RenderFirstPage(const QString &pdf, int width, PdfModule *module = nullptr);

// How wide a preview is drawn: as the demo's and the add dialog's previews.
inline constexpr int kPreviewWidth = 600;

enum class PreviewStatus {
    Made,
    Exists,    // a picture of that name is already there: left alone
    Encrypted, // the document needs a password
    Damaged,   // the document cannot be drawn
    NotWritten, // the picture could not be written (folder read-only, disk full)
    NoPdfModule // the module that draws pages cannot be loaded: no document can be drawn
};

// The first page of pdf as a JPEG named jpg.
PreviewStatus MakePreview(const QString &pdf, const QString &jpg, PdfModule *module = nullptr);

// What a replacement template may be: a JPEG, PNG, GIF or BMP picture, or a
// PDF document whose first page is drawn into a PNG.
struct TemplatePicture {
    enum Status { Ready, Missing, NotAPicture, TooLarge, Encrypted, Damaged, NoPdfModule } status = Missing;
    QByteArray bytes; // Ready: the picture file's bytes as they are, or the drawn page's PNG
    QSize size;
};

// More would be no form but a poster: 40 megapixels hold an A4 page scanned
// at 600 dpi (35 megapixels).
inline constexpr qint64 kMaxTemplatePixels = 40'000'000;
// A PDF page is drawn for a template at this resolution.
inline constexpr int kTemplateDpi = 200;

// Looks at the header only before it accepts a picture, so a huge one is
// refused without being decoded. Pictures need no PDF module.
TemplatePicture PrepareTemplatePicture(const QString &source, PdfModule *module = nullptr);

} // namespace vv

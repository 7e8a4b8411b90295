#include "PdfRender.h"

#include "FileLock.h"
#include "PdfDrawer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QLibrary>

#include <cmath>
#include <functional>

namespace vv {

PdfModule::PdfModule(const QString &folder)
{
    // An absolute name: the loader never searches for it.
    if (!folder.isEmpty())
        m_file = QFileInfo(folder + QLatin1Char('/') + FileName()).absoluteFilePath();
}

PdfModule::~PdfModule() = default;

PdfModule &PdfModule::Program()
{
    // Without an application there is no program folder; the current folder
    // must not stand in for it.
    static PdfModule program(QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString());
    return program;
}

QString PdfModule::FileName() { return QStringLiteral(VV_PDF_MODULE); }

const PdfDrawer *PdfModule::drawer()
{
    if (m_drawer || m_file.isEmpty())
        return m_drawer;
    // A library object that failed once keeps failing: each try gets a new one.
    auto library = std::make_unique<QLibrary>(m_file);
    if (!library->load()) {
        qWarning("%s", qPrintable(library->errorString()));
        return nullptr;
    }
    const auto entry = reinterpret_cast<PdfDrawerEntry>(library->resolve(kPdfDrawerEntry));
    m_drawer = entry ? entry(kPdfDrawerVersion) : nullptr;
    if (!m_drawer) {
        qWarning("%s: not the PDF module of this program", qPrintable(m_file));
        library->unload();
        return nullptr;
    }
    m_library = std::move(library);
    return m_drawer;
}

namespace {

RenderedPage Render(const QString &pdf, PdfModule *module, const std::function<QSize(QSizeF)> &sizeFor)
{
    RenderedPage page;
    if (!QFileInfo(pdf).isFile())
        return page;
    const PdfDrawer *drawer = PdfModule::Or(module).drawer();
    if (!drawer) {
        page.status = RenderedPage::NoPdfModule;
        return page;
    }
    return drawer->firstPage(pdf, sizeFor);
}

QByteArray Encoded(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

} // namespace

RenderedPage RenderFirstPage(const QString &pdf, int width, PdfModule *module)
{
    return Render(pdf, module, [width](QSizeF points) {
        const double height = width * points.height() / points.width();
        return QSize(width, qRound(qBound(1.0, height, 4.0 * width)));
    });
}

PreviewStatus MakePreview(const QString &pdf, const QString &jpg, PdfModule *module)
{
    if (QFileInfo::exists(jpg))
        return PreviewStatus::Exists;
    const RenderedPage page = RenderFirstPage(pdf, kPreviewWidth, module);
    switch (page.status) {
    case RenderedPage::Rendered: break;
    case RenderedPage::Encrypted: return PreviewStatus::Encrypted;
    case RenderedPage::Damaged: return PreviewStatus::Damaged;
    case RenderedPage::NoPdfModule: return PreviewStatus::NoPdfModule;
    }
    const QByteArray bytes = Encoded(page.image, "jpeg", 85);
    // The check above and this write are not one step; a picture that came
    // in between is still not overwritten.
    if (bytes.isEmpty() || QFileInfo::exists(jpg) || !ReplaceFileContents(jpg, bytes))
        return PreviewStatus::NotWritten;
    return PreviewStatus::Made;
}

TemplatePicture PrepareTemplatePicture(const QString &source, PdfModule *module)
{
    TemplatePicture picture;
    QFile file(source);
    if (!QFileInfo(source).isFile() || !file.open(QIODevice::ReadOnly))
        return picture;
    const QByteArray head = file.peek(5);
    if (head == "%PDF-") {
        file.close();
        const RenderedPage page = Render(source, module, [](QSizeF points) {
            const QSizeF pixels = points / 72.0 * kTemplateDpi;
            // Within the picture limit whatever the page's size.
            const double scale = qMin(1.0, std::sqrt(double(kMaxTemplatePixels) / (pixels.width() * pixels.height())));
            return QSize(qMax(1, qRound(pixels.width() * scale)), qMax(1, qRound(pixels.height() * scale)));
        });
        switch (page.status) {
        case RenderedPage::Rendered: break;
        case RenderedPage::Encrypted: picture.status = TemplatePicture::Encrypted; return picture;
        case RenderedPage::Damaged: picture.status = TemplatePicture::Damaged; return picture;
        case RenderedPage::NoPdfModule: picture.status = TemplatePicture::NoPdfModule; return picture;
        }
        picture.bytes = Encoded(page.image, "png");
        picture.size = page.image.size();
        picture.status = picture.bytes.isEmpty() ? TemplatePicture::Damaged : TemplatePicture::Ready;
        return picture;
    }
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    picture.status = TemplatePicture::NotAPicture;
    if (format != "jpeg" && format != "png" && format != "gif" && format != "bmp")
        return picture;
    picture.size = reader.size();
    if (picture.size.isEmpty())
        return picture;
    if (qint64(picture.size.width()) * picture.size.height() > kMaxTemplatePixels) {
        picture.status = TemplatePicture::TooLarge;
        return picture;
    }
    // A header alone is no picture: the first rows must decode as well.
    reader.setScaledSize(QSize(qMax(1, picture.size.width() / 8), qMax(1, picture.size.height() / 8)));
    if (reader.read().isNull())
        return picture;
    if (!file.seek(0))
        return picture;
    picture.bytes = file.readAll();
    picture.status = picture.bytes.isEmpty() ? TemplatePicture::NotAPicture : TemplatePicture::Ready;
    return picture;
}

} // namespace vv

#include "PdfRender.h"

#include "FileLock.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPdfDocument>

#include <cmath>
#include <functional>

namespace vv {
namespace {

QImage OnWhite(const QImage &page)
{
    QImage out(page.size(), QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, page);
    return out;
}

RenderedPage Render(const QString &pdf, const std::function<QSize(QSizeF)> &sizeFor)
{
    RenderedPage page;
    if (!QFileInfo(pdf).isFile())
        return page;
    QPdfDocument document;
    const QPdfDocument::Error error = document.load(pdf);
    if (error == QPdfDocument::Error::IncorrectPassword || error == QPdfDocument::Error::UnsupportedSecurityScheme) {
        page.status = RenderedPage::Encrypted;
        return page;
    }
    if (error != QPdfDocument::Error::None || document.pageCount() < 1)
        return page;
    page.pages = document.pageCount();
    const QSizeF points = document.pagePointSize(0);
    if (points.width() <= 0 || points.height() <= 0)
        return page;
    const QSize size = sizeFor(points);
    if (size.isEmpty())
        return page;
    const QImage drawn = document.render(0, size);
    if (drawn.isNull())
        return page;
    page.image = OnWhite(drawn);
    page.status = RenderedPage::Rendered;
    return page;
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

RenderedPage RenderFirstPage(const QString &pdf, int width)
{
    return Render(pdf, [width](QSizeF points) {
        const double height = width * points.height() / points.width();
        return QSize(width, qRound(qBound(1.0, height, 4.0 * width)));
    });
}

PreviewStatus MakePreview(const QString &pdf, const QString &jpg)
{
    if (QFileInfo::exists(jpg))
        return PreviewStatus::Exists;
    const RenderedPage page = RenderFirstPage(pdf, kPreviewWidth);
    if (page.status == RenderedPage::Encrypted)
        return PreviewStatus::Encrypted;
    if (page.status != RenderedPage::Rendered)
        return PreviewStatus::Damaged;
    const QByteArray bytes = Encoded(page.image, "jpeg", 85);
    // The check above and this write are not one step; a picture that came
    // in between is still not overwritten.
    if (bytes.isEmpty() || QFileInfo::exists(jpg) || !ReplaceFileContents(jpg, bytes))
        return PreviewStatus::NotWritten;
    return PreviewStatus::Made;
}

TemplatePicture PrepareTemplatePicture(const QString &source)
{
    TemplatePicture picture;
    QFile file(source);
    if (!QFileInfo(source).isFile() || !file.open(QIODevice::ReadOnly))
        return picture;
    const QByteArray head = file.peek(5);
    if (head == "%PDF-") {
        file.close();
        const RenderedPage page = Render(source, [](QSizeF points) {
            const QSizeF pixels = points / 72.0 * kTemplateDpi;
            // Within the picture limit whatever the page's size.
            const double scale = qMin(1.0, std::sqrt(double(kMaxTemplatePixels) / (pixels.width() * pixels.height())));
            return QSize(qMax(1, qRound(pixels.width() * scale)), qMax(1, qRound(pixels.height() * scale)));
        });
        if (page.status != RenderedPage::Rendered) {
            picture.status = page.status == RenderedPage::Encrypted ? TemplatePicture::Encrypted : TemplatePicture::Damaged;
            return picture;
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

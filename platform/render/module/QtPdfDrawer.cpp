// The only code that links Qt PDF: the program loads it as a module.

#include "PdfDrawer.h"

#include <QImage>
#include <QPainter>
#include <QPdfDocument>

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

class QtPdfDrawer final : public PdfDrawer {
public:
    RenderedPage firstPage(const QString &pdf, const std::function<QSize(QSizeF)> &sizeFor) const override
    {
        RenderedPage page;
        QPdfDocument document;
        const QPdfDocument::Error error = document.load(pdf);
        if (error == QPdfDocument::Error::IncorrectPassword
            || error == QPdfDocument::Error::UnsupportedSecurityScheme) {
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
};

} // namespace
} // namespace vv

extern "C" Q_DECL_EXPORT const vv::PdfDrawer *vv_pdf_drawer(int version)
{
    static const vv::QtPdfDrawer drawer;
    return version == vv::kPdfDrawerVersion ? &drawer : nullptr;
}

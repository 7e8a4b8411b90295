#pragma once
// What the Qt PDF module does for the program: it draws a document's first
// page. The module is loaded when the first page is drawn, so a start that
// draws none never loads Qt PDF and the libraries it brings.

#include "PdfRender.h"

#include <QSize>
#include <QSizeF>
#include <QString>

#include <functional>

namespace vv {

class PdfDrawer {
public:
    // sizeFor gets the page's size in points and names the pixels to draw.
    // Never NoPdfModule.
    virtual RenderedPage firstPage(const QString &pdf, const std::function<QSize(QSizeF)> &sizeFor) const = 0;

protected:
    ~PdfDrawer() = default;
};

// Raised with every change of PdfDrawer or RenderedPage: a module of another
// build refuses to hand out its drawer instead of being called wrongly.
inline constexpr int kPdfDrawerVersion = 1;

// The module's only exported symbol.
inline constexpr char kPdfDrawerEntry[] = "vv_pdf_drawer";
using PdfDrawerEntry = const PdfDrawer *(*)(int version);

} // namespace vv

#pragma once
// One layout for a form page, painted into a PDF and into its preview
// pictures, so a preview shows what the document holds.

#include "DemoContent.h"

#include <QImage>
#include <QRect>

class QPainter;

namespace vv::demo {

// An outdated edition is drawn in grey with a stamp across it, so a picture
// of it is told apart from the current one at a glance.
enum class Edition { Current, Outdated };

void PaintForm(QPainter &painter, const QRect &target, const FormSpec &form, Edition edition = Edition::Current);
QImage RenderForm(const FormSpec &form, const QSize &size, Edition edition = Edition::Current);
// The picture shown for documents without a preview of their own.
QImage RenderNoPreview(const QSize &size);

// A4, one page; the file is replaced in one step.
bool WriteFormPdf(const FormSpec &form, const QString &path);
bool WriteImage(const QImage &image, const QString &path, const char *format);

} // namespace vv::demo

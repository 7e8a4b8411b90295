#include "FormPainter.h"

#include <QFont>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>

namespace vv::demo {
namespace {

// Logical page in tenths of a millimetre: A4.
constexpr int kPageW = 2100;
constexpr int kPageH = 2970;
constexpr int kLeft = 200;
constexpr int kRight = 1900;
constexpr int kWidth = kRight - kLeft;
constexpr int kSignatureTop = 2500;
constexpr int kColumnGap = 80;

const QColor kInk(25, 25, 25);
const QColor kLabel(95, 95, 95);
const QColor kRule(70, 70, 70);

QFont Font(int pixels, bool bold = false, bool italic = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

bool IsTickBox(const QString &field)
{
    return field.startsWith(QLatin1String("[]"));
}

void PaintField(QPainter &p, const QString &field, int y, int height, const QColor &accent)
{
    if (IsTickBox(field)) {
        const int box = 38;
        p.setPen(QPen(accent, 4));
        p.setBrush(Qt::NoBrush);
        p.drawRect(kLeft, y + (height - box) / 2, box, box);
        p.setPen(kInk);
        p.setFont(Font(30));
        p.drawText(QRect(kLeft + 70, y, kWidth - 70, height), Qt::AlignLeft | Qt::AlignVCenter, field.mid(2));
        return;
    }
    const QStringList parts = field.split(QLatin1Char('|'));
    const int n = int(parts.size());
    const int column = (kWidth - kColumnGap * (n - 1)) / n;
    const int lineY = y + height - 30;
    for (int i = 0; i < n; ++i) {
        const int x = kLeft + i * (column + kColumnGap);
        p.setPen(kLabel);
        p.setFont(Font(26));
        p.drawText(QRect(x, y + 10, column, 40), Qt::AlignLeft | Qt::AlignVCenter, parts[i]);
        p.setPen(QPen(kRule, 3));
        p.drawLine(x, lineY, x + column, lineY);
    }
}

void PaintStamp(QPainter &p)
{
    p.save();
    p.translate(kPageW / 2, kPageH / 2 - 150);
    p.rotate(-28);
    const QColor red(200, 30, 30, 200);
    p.setPen(QPen(red, 14));
    p.setBrush(Qt::NoBrush);
    const QRect frame(-780, -150, 1560, 300);
    p.drawRoundedRect(frame, 40, 40);
    p.setFont(Font(170, true));
    p.drawText(frame, Qt::AlignCenter, QStringLiteral("ALTE FASSUNG"));
    p.restore();
}

} // namespace

void PaintForm(QPainter &p, const QRect &target, const FormSpec &form, Edition edition)
{
    const bool current = edition == Edition::Current;
    const QColor accent = current ? form.accent : QColor(120, 120, 120);

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setViewport(target);
    p.setWindow(0, 0, kPageW, kPageH);
    p.fillRect(0, 0, kPageW, kPageH, Qt::white);

    p.setPen(accent);
    p.setFont(Font(46, true));
    p.drawText(QRect(kLeft, 140, kWidth, 64), Qt::AlignLeft | Qt::AlignVCenter, form.issuer);
    p.setPen(kLabel);
    p.setFont(Font(25));
    p.drawText(QRect(kLeft, 210, kWidth, 40), Qt::AlignLeft | Qt::AlignVCenter, form.address);
    p.fillRect(kLeft, 280, kWidth, 14, accent);

    p.setPen(kInk);
    p.setFont(Font(80, true));
    p.drawText(QRect(kLeft, 350, kWidth, 110), Qt::AlignLeft | Qt::AlignVCenter, form.title);
    int y = 470;
    if (!form.subtitle.isEmpty()) {
        p.setPen(QColor(70, 70, 70));
        p.setFont(Font(40, false, true));
        p.drawText(QRect(kLeft, y, kWidth, 60), Qt::AlignLeft | Qt::AlignVCenter, form.subtitle);
        y += 90;
    } else {
        y += 20;
    }

    p.setPen(kInk);
    p.setFont(Font(32));
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    const QRect text = p.boundingRect(QRect(kLeft, y, kWidth, 700), flags, form.paragraph);
    p.drawText(QRect(kLeft, y, kWidth, text.height()), flags, form.paragraph);
    y += text.height() + 60;

    // Lines shrink a little when a form has many, the signature stays put.
    int wanted = 0;
    for (const QString &f : form.fields)
        wanted += IsTickBox(f) ? 90 : 165;
    const int room = kSignatureTop - 180 - y;
    const double scale = wanted > room && wanted > 0 ? double(room) / wanted : 1.0;
    for (const QString &f : form.fields) {
        const int h = int((IsTickBox(f) ? 90 : 165) * scale);
        PaintField(p, f, y, h, accent);
        y += h;
    }

    p.setPen(kLabel);
    p.setFont(Font(24));
    p.drawText(QRect(kLeft, kSignatureTop - 150, kWidth, 120), flags,
               QStringLiteral("Datenschutzhinweis: Ihre Angaben werden nur zur Bearbeitung dieses Vorgangs "
                              "gespeichert und nach Ablauf der gesetzlichen Aufbewahrungsfristen gelöscht "
                              "(Art. 6 Abs. 1 DSGVO)."));

    const int column = (kWidth - kColumnGap) / 2;
    const int lineY = kSignatureTop + 130;
    const QString signature[2] = {QStringLiteral("Ort, Datum"), QStringLiteral("Unterschrift")};
    for (int i = 0; i < 2; ++i) {
        const int x = kLeft + i * (column + kColumnGap);
        p.setPen(QPen(kRule, 3));
        p.drawLine(x, lineY, x + column, lineY);
        p.setPen(kLabel);
        p.setFont(Font(26));
        p.drawText(QRect(x, lineY + 10, column, 40), Qt::AlignLeft | Qt::AlignVCenter, signature[i]);
    }

    p.setPen(QPen(QColor(170, 170, 170), 2));
    p.drawLine(kLeft, 2790, kRight, 2790);
    p.setPen(kLabel);
    p.setFont(Font(24));
    const QString stand = current ? QStringLiteral("Stand 01/2024") : QStringLiteral("Stand 03/2019");
    p.drawText(QRect(kLeft, 2805, kWidth, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Formular %1 · %2").arg(form.code, stand));
    p.drawText(QRect(kLeft, 2805, kWidth, 40), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Seite 1 von 1"));

    if (!current)
        PaintStamp(p);
    p.restore();
}

QImage RenderForm(const FormSpec &form, const QSize &size, Edition edition)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    PaintForm(p, image.rect(), form, edition);
    p.setPen(QColor(176, 176, 176));
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

QImage RenderNoPreview(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(242, 242, 242));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = size.width();
    const int h = size.height();

    // A blank sheet with a folded corner.
    const int sheetW = w * 2 / 5;
    const int sheetH = sheetW * 4 / 3;
    const int sx = (w - sheetW) / 2;
    const int sy = h / 5;
    const int fold = sheetW / 4;
    QPainterPath sheet;
    sheet.moveTo(sx, sy);
    sheet.lineTo(sx + sheetW - fold, sy);
    sheet.lineTo(sx + sheetW, sy + fold);
    sheet.lineTo(sx + sheetW, sy + sheetH);
    sheet.lineTo(sx, sy + sheetH);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(175, 175, 175), 3));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.drawLine(sx + sheetW - fold, sy, sx + sheetW - fold, sy + fold);
    p.drawLine(sx + sheetW - fold, sy + fold, sx + sheetW, sy + fold);
    p.setPen(QPen(QColor(215, 215, 215), 4));
    for (int i = 0; i < 4; ++i) {
        const int ly = sy + fold + sheetH / 7 * (i + 1);
        p.drawLine(sx + sheetW / 6, ly, sx + sheetW * 5 / 6, ly);
    }

    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qMax(8, w / 14));
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(130, 130, 130));
    p.drawText(QRect(w / 10, sy + sheetH + h / 20, w * 8 / 10, h / 4), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("Keine Vorschau verfügbar"));
    p.setPen(QColor(200, 200, 200));
    p.setBrush(Qt::NoBrush);
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

bool WriteFormPdf(const FormSpec &form, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(300);
        writer.setTitle(form.title);
        writer.setCreator(QStringLiteral("Veltrano Vorlagen-Bibliothek"));
        QPainter p;
        if (!p.begin(&writer)) {
            file.cancelWriting();
            return false;
        }
        PaintForm(p, QRect(0, 0, writer.width(), writer.height()), form);
        if (!p.end()) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}

bool WriteImage(const QImage &image, const QString &path, const char *format)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, format);
    writer.setQuality(90);
    if (!writer.write(image)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace vv::demo

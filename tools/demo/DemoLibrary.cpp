#include "DemoLibrary.h"

#include "Cp1252.h"
#include "DemoContent.h"
#include "FormPainter.h"
#include "GifWriter.h"

#include <QSaveFile>
#include <QStringList>

namespace vv::demo {
namespace {

const QSize kPreviewSize(300, 420);
const QSize kPageImageSize(827, 1169); // A4 at 100 dpi

QString TwoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QByteArray IniFile(const QStringList &lines)
{
    return ToCp1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

bool WriteBytes(const QByteArray &bytes, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

QByteArray UserFileContent()
{
    const QList<DemoCategory> categories = Categories();
    QStringList lines;
    lines << QStringLiteral("[SET]") << QStringLiteral("PrintDoc=0") << QString();

    lines << QStringLiteral("[CAT]");
    for (int i = 0; i < categories.size(); ++i)
        lines << TwoDigits(i + 1) + QLatin1Char('=') + categories[i].name;
    lines << QString();

    lines << QStringLiteral("[DIR]");
    for (int i = 0; i < categories.size(); ++i) {
        const QString dir = (categories[i].dirWithBackslash ? QStringLiteral("\\") : QString()) + categories[i].name;
        lines << TwoDigits(i + 1) + QLatin1Char('=') + dir;
    }
    lines << QString();

    lines << QStringLiteral("[INFO]");
    for (int i = 0; i < categories.size(); ++i)
        lines << TwoDigits(i + 1) + QLatin1Char('=') + categories[i].help;
    for (const DemoCategory &c : categories)
        for (const DemoDocument &d : c.documents)
            if (!d.help.isEmpty())
                lines << d.file + QLatin1Char('=') + d.help;
    return IniFile(lines);
}

QByteArray DatabaseContent()
{
    const QList<DemoFavourite> favourites = Favourites();
    QStringList lines;
    lines << QStringLiteral("[DOCS]");
    for (int i = 0; i < favourites.size(); ++i)
        lines << QString::number(i) + QLatin1Char('=') + favourites[i].label;
    lines << QString() << QStringLiteral("[PDFFILE]");
    for (int i = 0; i < favourites.size(); ++i)
        lines << QString::number(i) + QStringLiteral("=\\Vorlagen\\") + favourites[i].category + QLatin1Char('\\') +
                     favourites[i].file;
    return IniFile(lines);
}

QList<DemoFile> DemoFiles()
{
    QList<DemoFile> files;
    files.append({QStringLiteral("Vorlagen/User.dat"),
                  [](const QString &path) { return WriteBytes(UserFileContent(), path); }});
    files.append({QStringLiteral("VORLAGEN.DAT"), [](const QString &path) { return WriteBytes(DatabaseContent(), path); }});
    // The reader has to tell the format from the content: PNG here.
    files.append({QStringLiteral("KORVENTIS.MAP"),
                  [](const QString &path) { return WriteImage(RenderNoPreview(kPreviewSize), path, "png"); }});

    const QList<FormSpec> templates = PowerOfAttorneyForms();
    for (int i = 0; i < templates.size(); ++i) {
        // Both picture kinds, so neither is taken for granted by the viewer.
        const char *format = i % 2 ? "jpeg" : "png";
        const FormSpec form = templates[i];
        files.append({QStringLiteral("DOCFORM%1.DLL").arg(i), [form, format](const QString &path) {
                          return WriteImage(RenderForm(form, kPageImageSize), path, format);
                      }});
    }

    for (const DemoCategory &c : Categories()) {
        const QString folder = QStringLiteral("Vorlagen/") + c.name + QLatin1Char('/');
        for (const DemoDocument &d : c.documents) {
            const FormSpec form = d.form;
            const QString base = folder + d.file.chopped(3);
            files.append({folder + d.file, [form](const QString &path) { return WriteFormPdf(form, path); }});
            if (d.preview == Preview::Jpg || d.preview == Preview::Both)
                files.append({base + QStringLiteral("jpg"), [form](const QString &path) {
                                  return WriteImage(RenderForm(form, kPreviewSize), path, "jpeg");
                              }});
            // Where both exist the GIF shows the outdated edition, so it is
            // plain which of the two a viewer picked.
            const Edition gifEdition = d.preview == Preview::Both ? Edition::Outdated : Edition::Current;
            if (d.preview == Preview::Gif || d.preview == Preview::Both)
                files.append({base + QStringLiteral("gif"), [form, gifEdition](const QString &path) {
                                  return WriteGif(RenderForm(form, kPreviewSize, gifEdition), path);
                              }});
        }
    }
    return files;
}

} // namespace vv::demo

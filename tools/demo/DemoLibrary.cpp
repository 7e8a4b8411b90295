#include "DemoLibrary.h"

#include "DemoContent.h"
#include "Favourites.h"
#include "FormPainter.h"
#include "GifWriter.h"
#include "UserFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace vv::demo {
namespace {

const QSize kPreviewSize(300, 420);
const QSize kPageImageSize(827, 1169); // A4 at 100 dpi

bool WriteUserFile(const QString &path)
{
    // A reset starts from nothing, so no old key outlives the demo's.
    QFile::remove(path);
    const QString templates = QFileInfo(path).absolutePath();
    const UserFile user(LibraryPaths(QFileInfo(templates).absolutePath(), templates));
    bool ok = user.WritePrintDoc(false) != 0;
    const QList<DemoCategory> categories = Categories();
    for (int i = 0; i < categories.size(); ++i) {
        const DemoCategory &c = categories[i];
        ok &= user.WriteCategory(i + 1, c.name, (c.dirWithBackslash ? QStringLiteral("\\") : QString()) + c.name) != 0;
    }
    for (int i = 0; i < categories.size(); ++i)
        ok &= user.WriteCategoryInfo(i + 1, categories[i].help) != 0;
    for (const DemoCategory &c : categories)
        for (const DemoDocument &d : c.documents)
            if (!d.help.isEmpty())
                ok &= user.WriteDocumentInfo(d.file, d.help) != 0;
    return ok;
}

bool WriteFavourites(const QString &path)
{
    QFile::remove(path);
    QList<Favourite> list;
    for (const DemoFavourite &f : Favourites())
        list.append({-1, f.label, LibraryPaths::favouriteStoredPath(f.category, f.file)});
    // Save keeps a backup of the file it replaces; a fresh demo has none.
    const LibraryPaths paths(QFileInfo(path).absolutePath());
    const bool ok = vv::Favourites(paths).Save(list).written;
    QFile::remove(paths.favouritesBackup());
    return ok;
}

} // namespace

QList<DemoFile> DemoFiles()
{
    QList<DemoFile> files;
    // The data files are written through the model, as the program writes them.
    files.append({QStringLiteral("Vorlagen/User.dat"), WriteUserFile});
    files.append({QStringLiteral("VORLAGEN.DAT"), WriteFavourites});
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

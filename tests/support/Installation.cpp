#include "Installation.h"
#include "TestSupport.h"

#include "GifWriter.h"
#include "IniFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>

namespace vvtest {

void WriteSolidPicture(const QString &path, const QColor &colour, const char *format)
{
    QImage image(40, 56, QImage::Format_RGB32);
    image.fill(colour);
    if (qstrcmp(format, "GIF") == 0)
        vv::WriteGif(image, path);
    else
        image.save(path, format);
}

QByteArray SmallPdf(const QString &title)
{
    return "%PDF-1.4\n% " + title.toUtf8() + "\n%%EOF\n";
}

QChar ColourName(const QColor &c)
{
    if (c.red() > c.green() + 60 && c.red() > c.blue() + 60)
        return 'r';
    if (c.green() > c.red() + 60 && c.green() > c.blue() + 60)
        return 'g';
    if (c.blue() > c.red() + 60 && c.blue() > c.green() + 60)
        return 'b';
    return '?';
}

QString MakeInstallation(const QString &dir, bool withFallback)
{
    const QString templates = dir + "/Vorlagen";
    QDir().mkpath(templates + "/Steuern");
    QDir().mkpath(templates + "/Verträge");
    QDir().mkpath(templates + "/Leer");

    const QString user = templates + "/User.dat";
    const char *cats[][2] = {{"Steuern", "Steuern"}, {"Verträge", "\\Verträge"}, {"Leer", "\\Leer"}};
    for (int i = 0; i < 3; ++i) {
        const QString key = QStringLiteral("0%1").arg(i + 1);
        vv::WriteIniValue(user, "CAT", key, QString::fromUtf8(cats[i][0]));
        vv::WriteIniValue(user, "DIR", key, QString::fromUtf8(cats[i][1]));
        vv::WriteIniValue(user, "INFO", key, "Hilfe " + QString::fromUtf8(cats[i][0]));
    }
    vv::WriteIniValue(user, "INFO", "Antrag.pdf", "Antrag ausfüllen");
    vv::WriteIniValue(user, "SET", "PrintDoc", "0");

    const QString s = templates + "/Steuern/";
    for (const char *name : {"Antrag", "Beide", "Gif", "Ohne", "Kaputt"})
        WriteAll(s + name + ".pdf", SmallPdf(name));
    WriteSolidPicture(s + "Antrag.jpg", kJpgColour, "JPG");
    WriteSolidPicture(s + "Beide.jpg", kJpgColour, "JPG");
    WriteSolidPicture(s + "Beide.gif", kGifColour, "GIF");
    WriteSolidPicture(s + "Gif.gif", kGifColour, "GIF");
    WriteAll(s + "Kaputt.jpg", "das ist kein Bild");
    WriteAll(templates + "/Verträge/Mietvertrag.pdf", SmallPdf("Mietvertrag"));
    if (withFallback)
        WriteSolidPicture(dir + "/KORVENTIS.MAP", kFallbackColour, "PNG");
    return templates;
}

} // namespace vvtest

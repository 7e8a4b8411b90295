#pragma once
// The product's values in the settings store that the library editor uses:
// where the database and the templates are, and where the standard
// documents are downloaded from.

#include <QMargins>
#include <QRect>
#include <QString>
#include <QUrl>

namespace vv {

class Registry;

// "Database": the folder the host finds VORLAGEN.DAT in. Written with the
// program folder when missing (an existing value is never changed); the
// folder shown always ends in a separator, also when the write failed.
QString DatabaseFolder(Registry &reg, const QString &programDir);

struct TemplatesSetting {
    QString folder;            // "InstallDir" + "Vorlagen", no trailing separator
    // false: "InstallDir" missing, empty or naming no library; the program
    // folder, whose library the main window shows, stands in.
    bool fromSettings = false;
};
TemplatesSetting TemplatesFolder(const Registry &reg, const QString &programDir);

// The standard documents' archive: "Download" in the store, else the maker's.
QUrl DownloadAddress(const Registry &reg);
inline constexpr char kDefaultDownloadAddress[] = "https://www.veltrano.de/download/Vorlagen-Bibliothek.zip";

// The main window's place as the user left it: "MainWindow" holds the
// frame's corner and the inside's size, "x,y,width,height", with ",max" when
// it was maximised.
// A missing or garbled value gives a null rect.
struct WindowPlacement {
    QRect rect;
    bool maximized = false;
};
WindowPlacement StoredWindowPlacement(const Registry &reg);
bool StoreWindowPlacement(Registry &reg, const WindowPlacement &placement);

// Where a window's inside goes on a screen whose free area is available,
// leaving room for the frame the window manager adds: never larger than
// that, wholly on it, as near to wanted as that allows. A null wanted (first
// start, or a garbled value) gives preferred, centred.
QRect FitOnScreen(const QRect &wanted, const QSize &preferred, const QRect &available, const QMargins &frame);

} // namespace vv

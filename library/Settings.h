#pragma once
// The product's values in the settings store that the library editor uses:
// where the database and the templates are, and where the standard
// documents are downloaded from.

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

} // namespace vv

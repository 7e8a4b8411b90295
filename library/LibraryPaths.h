#pragma once
// Every file name of an installation. Nothing else in the program builds
// these names, so a window or tool asks here for "where is ...".
//
// Paths on disk use "/". Values inside the data files keep their Windows form
// ("\Vorlagen\Steuern\Antrag.pdf", "\Steuern"); the conversions are here too.

#include <QString>

namespace vv {

class LibraryPaths {
public:
    // programDir: the installation folder, the program's own folder.
    // templatesFolder: the library's folder; "" means programDir + "/Vorlagen".
    // The editor passes the one its settings name.
    explicit LibraryPaths(const QString &programDir, const QString &templatesFolder = QString());

    static constexpr int kPowerOfAttorneyForms = 5;

    QString programDir() const { return m_program; }
    QString templatesFolder() const { return m_templates; }

    QString userFile() const;       // templates/User.dat
    QString userBackup() const;     // templates/User.bak
    QString userSnapshot() const;   // templates/User.tmp, the editor's copy
    QString favouritesFile() const; // program/VORLAGEN.DAT, always beside the program
    QString favouritesBackup() const;
    QString fallbackPicture() const;           // program/KORVENTIS.MAP
    QString powerOfAttorneyForm(int n) const;  // program/DOCFORMn.DLL, n 0..4; "" otherwise
    QString powerOfAttorneyBackup(int n) const; // program/DOCFORMn.BAK, the form before its last replacement
    QString restartRelay() const;              // program/APPRELAY.EXE

    // The folder a category's display name stands for (no trailing "/"); ""
    // for a name that cannot be a folder of the library (empty, ".", "..", a
    // separator), so nothing is ever written outside it.
    QString categoryFolder(const QString &displayName) const;

    // Where a "DIR" value leads: below the templates folder, with or without
    // the leading "\" and with a trailing "\" ignored, as Windows reads it. An
    // empty value is the templates folder itself. "" for a value that would
    // leave the templates folder ("..", absolute, drive letter, UNC).
    QString folderFromDirValue(const QString &dirValue) const;
    // The "DIR" value written for a folder of the templates folder: "\" + name.
    static QString dirValueOf(const QString &folderName);

    // A favourite's stored path: "\Vorlagen\" + category + "\" + file name.
    static QString favouriteStoredPath(const QString &category, const QString &fileName);
    // The stored path on disk: program folder + the path, separators turned.
    QString favouriteDiskPath(const QString &storedPath) const;

private:
    QString m_program;
    QString m_templates;
};

} // namespace vv

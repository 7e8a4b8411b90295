#pragma once
// The program's settings store in place of HKEY_LOCAL_MACHINE.
//
// Linux form: INI text in UTF-8, one section per key path:
//
//   [Software\Veltrano\Ordinalis]
//   PdfEditor=/usr/bin/evince
//   @=the default value (empty value name)
//
// Backslashes stand as they are. A value (or name) with blanks at its ends,
// a leading quote or control characters is written in quotes with the
// escapes \" \\ \n \r \t \0. Key paths and value names compare without
// regard to letter case, like the registry's.
//
// Reads look in the user's store first, then in the system stores an
// installation writes (InstallDir). Writes go to the user's store only.
// The two ".pdf" association values under Software\Classes are answered from
// the desktop's default PDF application instead of a store.

#include "PdfAssociation.h"

#include <QString>
#include <QStringList>

namespace vv {

// The program's own key; the installation creates it with "InstallDir".
inline constexpr char kProductKey[] = "Software\\Veltrano\\Ordinalis";

class Registry {
public:
    explicit Registry(QString userStorePath, QStringList systemStorePaths,
                      XdgFolders desktop = XdgFolders::FromEnvironment());

    // $XDG_CONFIG_HOME/Veltrano/Ordinalis.conf over each
    // $XDG_CONFIG_DIRS/Veltrano/Ordinalis.conf, over the installation's own
    // installDir/Ordinalis.conf (product values such as the download address).
    static Registry FromEnvironment(const QString &installDir = QString());

    // True when the value was found; value then holds its text alone (the
    // Windows form's terminating NUL is not part of it). Untouched otherwise.
    bool ReadRegistryValue(const QString &keyPath, const QString &valueName, QString &value) const;

    // Replaces the value in the user's store, creating the store on first
    // use. Association paths (Software\Classes\...) are not writable. The
    // file is replaced in one rename under a lock; false when that failed.
    bool WriteRegistryValue(const QString &keyPath, const QString &valueName, const QString &value);

    const QString &UserStorePath() const { return m_userStore; }
    const QStringList &SystemStorePaths() const { return m_systemStores; }

private:
    bool ReadAssociation(const QString &keyPath, const QString &valueName, QString &value,
                         bool &handled) const;

    QString m_userStore;
    QStringList m_systemStores;
    PdfAssociation m_association;
};

} // namespace vv

#pragma once
// The desktop's default program for PDF documents, found the freedesktop way
// (mimeapps.list, mimeinfo.cache, .desktop files) and presented as the two
// values the Windows file association holds: the file-type name and its open
// command line, so one discovery routine serves both platforms.

#include <QString>
#include <QStringList>

namespace vv {

// The folders the lookup searches. Tests fill them with temporary folders.
struct XdgFolders {
    QString configHome;       // $XDG_CONFIG_HOME
    QStringList configDirs;   // $XDG_CONFIG_DIRS, most important first
    QString dataHome;         // $XDG_DATA_HOME
    QStringList dataDirs;     // $XDG_DATA_DIRS, most important first
    QStringList desktops;     // $XDG_CURRENT_DESKTOP, lower case, in order
    QStringList searchPath;   // $PATH

    // Unset, empty or relative variables take the basedir defaults.
    static XdgFolders FromEnvironment();

    // mimeapps.list files from most to least important.
    QStringList MimeAppsLists() const;
    // applications folders from most to least important.
    QStringList ApplicationFolders() const;
};

// Splits a desktop entry's Exec value (string escapes already decoded) into
// its arguments by the desktop entry quoting rules. False on odd quoting: an
// open quote, a stray escape or a reserved character outside quotes.
bool SplitExecLine(const QString &exec, QStringList &args);

// Turns a raw Exec value (as it stands in the file) into a Windows-style
// command line: the program as a full path found through searchPath, the
// file field code (%f %F %u %U) as "%1", other field codes dropped. False
// when the line is unusable or the program is not found.
bool ExecToCommandLine(const QString &rawExec, const QStringList &searchPath, QString &command);

class PdfAssociation {
public:
    explicit PdfAssociation(XdgFolders folders);

    // Desktop file id of the default application for mimeType
    // (e.g. "org.gnome.Evince.desktop"); "" when there is none.
    QString DefaultApplication(const QString &mimeType = QStringLiteral("application/pdf")) const;

    // Open command of a desktop file id; false when the file is not found
    // or its Exec line is unusable.
    bool OpenCommand(const QString &desktopId, QString &command) const;

    // Full path of the .desktop file with that id; "" when not installed.
    QString FindDesktopFile(const QString &desktopId) const;

    const XdgFolders &Folders() const { return m_folders; }

private:
    bool IsInstalled(const QString &desktopId) const;

    XdgFolders m_folders;
};

} // namespace vv

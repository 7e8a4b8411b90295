#include "ComDlgDll.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace vv {

QString ShowFileDialog(FileDialogSeam &seam, QWidget *owner, const QString &title, QString &folder,
                       const QString &initialName, const QString &filter, const QString &defaultExt, int mode)
{
    const QString before = folder;
    const QString name = seam.ShowFileDialog(owner, title, folder, initialName, filter, defaultExt, mode);
    if (name.isEmpty()) {
        folder = before;
        return QString();
    }
    // Callers glue folder and name together without a separator of their own.
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return name;
}

QString OpenFileDialog(FileDialogSeam &seam, QWidget *owner, const QString &title, QString &folder,
                       const QString &initialName, const QString &filter, const QString &defaultExt)
{
    return ShowFileDialog(seam, owner, title, folder, initialName, filter, defaultExt, 0);
}

QStringList ConvertFilter(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        if (description.isEmpty() || parts[i + 1].trimmed().isEmpty())
            break;
        QStringList patterns;
        for (const QString &p : parts[i + 1].split(u';')) {
            const QString pattern = p.trimmed();
            if (!pattern.isEmpty())
                patterns.append(pattern == u"*.*" ? QStringLiteral("*") : pattern);
        }
        result.append(description + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return result;
}

QString FirstExtension(const QString &defaultExt)
{
    static const QRegularExpression separators(QStringLiteral("[,; ]+"));
    const QStringList parts = defaultExt.split(separators, Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return QString();
    QString ext = parts.first();
    while (ext.startsWith(u'*') || ext.startsWith(u'.'))
        ext.remove(0, 1);
    return ext;
}

QString TakeChosenFile(const QString &path, QString &folder)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.fileName().isEmpty())
        return QString();
    QString dir = info.absolutePath();
    if (!dir.endsWith(u'/'))
        dir += u'/';
    folder = dir;
    return info.fileName();
}

} // namespace vv

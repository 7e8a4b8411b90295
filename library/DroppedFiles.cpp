#include "DroppedFiles.h"

#include <QFileInfo>

namespace vv {

DroppedFiles CheckDroppedFiles(const QList<QUrl> &urls, int limit)
{
    DroppedFiles out;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            return {};
        const QString path = url.toLocalFile();
        if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) || !DroppedFileStillThere(path))
            return {};
        if (!out.paths.contains(path))
            out.paths << path;
    }
    if (out.paths.isEmpty())
        return {};
    out.verdict = out.paths.size() > limit ? DroppedFiles::TooMany : DroppedFiles::Documents;
    return out;
}

bool DroppedFileStillThere(const QString &path)
{
    return QFileInfo(path).isFile();
}

} // namespace vv

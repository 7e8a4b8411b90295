#include "Picture.h"

#include <QImageReader>

namespace vv {

QImage ReadPicture(const QString &file)
{
    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels)
        return QImage();
    return reader.read();
}

} // namespace vv

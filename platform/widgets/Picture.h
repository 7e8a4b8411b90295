#pragma once
// Reading a preview picture: the format comes from the content, since the
// installation's pictures carry names like KORVENTIS.MAP and DOCFORM0.DLL.

#include <QImage>
#include <QString>

namespace vv {

// A picture of more pixels than this is not decoded: it would hold the window
// for seconds, and no preview needs it (a page at 300 dpi has 8.7 million).
inline constexpr qint64 kMaxPicturePixels = 20'000'000;

// The picture, or a null image when the file is missing, no picture, or too big.
QImage ReadPicture(const QString &file);

} // namespace vv

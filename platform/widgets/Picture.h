#pragma once
// Reading a preview picture: the format comes from the content, since the
// installation's pictures carry names like KORVENTIS.MAP and DOCFORM0.DLL.

#include <QImage>
#include <QString>

class QLabel;

namespace vv {

// The picture, shrunk to shownAt when it is larger (a label with scaled
// contents stretches it to exactly that size anyway); a null image when the
// file is missing or no picture. JPEG (to an eighth at the least) and PNG of
// 8-bit colour channels shrink while they are decoded; other pictures are
// decoded whole first, as far as what they really take stays within Qt's
// allocation limit (a black-and-white scan of 400 megapixels takes 50 MB), and
// stay a null image beyond it. So does a progressive JPEG whose decoding would
// take more than that limit (libjpeg keeps all of one in memory).
QImage ReadPicture(const QString &file, const QSize &shownAt = QSize());

// The size in device pixels at which label shows a picture over its contents.
QSize ShownSize(const QLabel *label);

} // namespace vv

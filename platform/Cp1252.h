#pragma once
// Windows-1252, the code page of the data files written on German Windows
// systems. Qt 6 has no codec for it without ICU, and the table is tiny.

#include <QByteArray>
#include <QString>

namespace vv {

QString FromCp1252(const QByteArray &bytes);
// Characters without a Windows-1252 form become '?', as the ANSI calls do.
QByteArray ToCp1252(const QString &text);

} // namespace vv

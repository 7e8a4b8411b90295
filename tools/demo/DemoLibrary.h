#pragma once
// The files of the demo installation and how each one is made.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace vv::demo {

struct DemoFile {
    QString relativePath; // below the installation folder, "/" separated
    std::function<bool(const QString &absolutePath)> write;
};

// Every demo file, the data files first.
QList<DemoFile> DemoFiles();

} // namespace vv::demo

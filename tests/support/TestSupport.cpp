#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace vvtest {

void IsolateEnvironment(const QString &root)
{
    const QString home = root + "/home";
    const struct {
        const char *name;
        QString path;
    } vars[] = {
        {"HOME", home},
        {"XDG_CONFIG_HOME", home + "/.config"},
        {"XDG_DATA_HOME", home + "/.local/share"},
        {"XDG_CACHE_HOME", home + "/.cache"},
        {"XDG_CONFIG_DIRS", root + "/etc-xdg"},
        {"XDG_DATA_DIRS", root + "/usr-share"},
        {"temp", root + "/temp"},
        {"TMPDIR", root + "/tmp"},
        {"XDG_RUNTIME_DIR", root + "/run"},
    };
    for (const auto &v : vars) {
        QDir().mkpath(v.path);
        qputenv(v.name, QFile::encodeName(v.path));
    }
    // Qt and the host link only accept a runtime folder nobody else may enter.
    QFile::setPermissions(root + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    const bool ok = f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
    if (!ok)
        QTest::qFail(qPrintable("cannot write " + path), __FILE__, __LINE__);
}

void MakeProgram(const QString &path)
{
    WriteAll(path, "#!/bin/sh\nexit 0\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
}

} // namespace vvtest

#include "TestSupport.h"

#include <QDir>
#include <QFile>

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
    };
    for (const auto &v : vars) {
        QDir().mkpath(v.path);
        qputenv(v.name, QFile::encodeName(v.path));
    }
}

} // namespace vvtest

#include "PdfReader.h"

#include "Clock.h"
#include "ComDlgDll.h"
#include "FileServices.h"
#include "Registry.h"
#include "Seams.h"

#include <QDir>

namespace vv {
namespace {

const QString kPdfEditor = QStringLiteral("PdfEditor");

QString UpToNul(const QString &s)
{
    const qsizetype nul = s.indexOf(QChar(0));
    return nul < 0 ? s : s.left(nul);
}

} // namespace

QString StoredPdfProgram(Registry &reg)
{
    QString stored;
    if (!reg.ReadRegistryValue(QString::fromLatin1(kProductKey), kPdfEditor, stored))
        return QString();
    return UpToNul(stored);
}

QString ProgramFilter()
{
    return QStringLiteral("Programme|*.exe; *.com; *.bat|Programme (Linux)|*|Alle Dateitypen|*.*");
}

QString TrimOpenCommand(const QString &command)
{
    // A command too short for a cut keeps its text: the cut is the step that
    // fails and is skipped, and the next one runs.
    QString s = command;
    if (s.endsWith(QStringLiteral("\"%1\"")) && s.size() >= 5)
        s.chop(5);
    if (s.endsWith(QStringLiteral("%1")) && s.size() >= 3)
        s.chop(3);
    if (s.endsWith(u'"'))
        s.chop(1);
    if (s.startsWith(u'"'))
        s.remove(0, 1);
    return s;
}

AssociatedProgram AssociatedPdfProgram(const Registry &reg)
{
    AssociatedProgram found;
    QString type;
    if (!reg.ReadRegistryValue(QStringLiteral("Software\\Classes\\.pdf"), QString(), type))
        return found;
    found.status = AssociatedProgram::Unusable;
    type = UpToNul(type);
    QString command;
    if (!reg.ReadRegistryValue(QStringLiteral("Software\\Classes\\") + type + QStringLiteral("\\Shell\\Open\\Command"),
                               QString(), command)
        || type.contains(QStringLiteral("PDFDummy"), Qt::CaseInsensitive))
        return found;
    found.program = TrimOpenCommand(UpToNul(command));
    if (!found.program.isEmpty())
        found.status = AssociatedProgram::Found;
    return found;
}

bool UseAssociatedPdfProgram(Registry &reg)
{
    const AssociatedProgram associated = AssociatedPdfProgram(reg);
    return associated.status == AssociatedProgram::Found
        && reg.WriteRegistryValue(QString::fromLatin1(kProductKey), kPdfEditor, associated.program);
}

int LoadPdfReader(Registry &reg, FileDialogSeam &dialog, QWidget *owner)
{
    int result = 0;
    const QString stored = StoredPdfProgram(reg);

    {
        Yield();
        if (FileExists(stored)) {
            result = stored.isEmpty() ? 0 : 1;
            Yield();
        } else {
            const AssociatedProgram associated = AssociatedPdfProgram(reg);
            if (associated.status == AssociatedProgram::Found) {
                reg.WriteRegistryValue(QString::fromLatin1(kProductKey), kPdfEditor, associated.program);
                result = 1;
            } else if (associated.status == AssociatedProgram::Unusable) {
                result = GetPdfReader(reg, dialog, owner) == 1 ? 1 : 0;
            }
        }
    }
    Yield();
    return result;
}

int GetPdfReader(Registry &reg, FileDialogSeam &dialog, QWidget *owner)
{
    QString folder = QDir::currentPath();
    const QString name = OpenFileDialog(dialog, owner, QStringLiteral("Datei öffnen"), folder, QString(),
                                        ProgramFilter(), QStringLiteral("exe"));
    if (!folder.endsWith(u'/') && !folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    const QString path = folder + name;
    if (path.size() >= 5 && !name.isEmpty()) {
        reg.WriteRegistryValue(QString::fromLatin1(kProductKey), kPdfEditor, path);
        return 1;
    }
    return 0;
}

} // namespace vv

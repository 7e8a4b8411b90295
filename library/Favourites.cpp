#include "Favourites.h"

#include "FileServices.h"
#include "IniFiles.h"

namespace vv {
namespace {

const QString kDocs = QStringLiteral("DOCS");
const QString kPdfFile = QStringLiteral("PDFFILE");
const QString kSeparator(8, QLatin1Char('\t'));

QString SlotKey(int slot) { return QString::number(slot); }

// Slots "0".."9" of one section.
QList<IniKey> SlotKeys(const QString &section)
{
    QList<IniKey> keys;
    for (int slot = 0; slot < Favourites::kSlots; ++slot)
        keys.append({section, SlotKey(slot)});
    return keys;
}

// The editor list splits label and path at the first TAB.
QString CleanLabel(QString label) { return label.replace(QLatin1Char('\t'), QLatin1Char(' ')); }

} // namespace

Favourites::Favourites(const LibraryPaths &paths) : m_paths(paths) {}

QList<Favourite> Favourites::Load() const
{
    QList<Favourite> list;
    const QStringList values = ReadIniValues(file(), SlotKeys(kDocs) + SlotKeys(kPdfFile));
    for (int slot = 0; slot < kSlots; ++slot) {
        const QString &label = values[slot], &path = values[kSlots + slot];
        if (!label.isEmpty() && !path.isEmpty())
            list.append({slot, label, path});
    }
    return list;
}

int Favourites::FreeSlot() const
{
    return int(ReadIniValues(file(), SlotKeys(kPdfFile)).lastIndexOf(QString()));
}

int Favourites::Add(const QString &category, const QString &fileName) const
{
    const int slot = FreeSlot();
    if (slot < 0)
        return -1;
    const QString label = CleanLabel(fileName.left(qMax<qsizetype>(0, fileName.size() - 4)));
    ModifyIni(file(), {IniChange::SetValue(kDocs, SlotKey(slot), label),
                       IniChange::SetValue(kPdfFile, SlotKey(slot),
                                           LibraryPaths::favouriteStoredPath(category, fileName))});
    return slot;
}

int Favourites::SlotOfLabel(const QString &label) const
{
    return int(ReadIniValues(file(), SlotKeys(kDocs)).indexOf(label));
}

int Favourites::Rename(const QString &oldLabel, const QString &newLabel) const
{
    const int slot = newLabel.isEmpty() ? -1 : SlotOfLabel(oldLabel);
    if (slot >= 0)
        WriteIniValue(file(), kDocs, SlotKey(slot), CleanLabel(newLabel));
    return slot;
}

Favourites::SaveResult Favourites::Save(const QList<Favourite> &favourites) const
{
    SaveResult result;
    if (FileExists(file()))
        result.backedUp = CopyFileOverwrite(file(), m_paths.favouritesBackup());
    QList<IniChange> changes{IniChange::RemoveSection(kDocs), IniChange::RemoveSection(kPdfFile)};
    for (const Favourite &f : favourites) {
        if (result.stored == kSlots)
            break;
        const QString key = SlotKey(result.stored++);
        changes << IniChange::SetValue(kDocs, key, CleanLabel(f.label)) << IniChange::SetValue(kPdfFile, key, f.path);
    }
    result.written = ModifyIni(file(), changes) != 0;
    return result;
}

QString Favourites::ListEntry(const QString &label, const QString &path)
{
    return CleanLabel(label) + kSeparator + path;
}

Favourite Favourites::SplitListEntry(const QString &entry)
{
    Favourite f;
    const qsizetype tab = entry.indexOf(QLatin1Char('\t'));
    if (tab < 0) {
        f.label = entry;
        return f;
    }
    f.label = entry.left(tab);
    f.path = entry.mid(tab + kSeparator.size());
    return f;
}

} // namespace vv

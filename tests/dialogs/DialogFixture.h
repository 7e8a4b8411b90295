#pragma once
// Finding controls, reading shown messages and a main window stand-in for the
// dialog tests.

#include "Fakes.h"
#include "IniFiles.h"
#include "Library.h"
#include "MainWindowLink.h"
#include "TestSupport.h"

#include <QDir>
#include <QListWidget>
#include <QTest>
#include <QWidget>

namespace vvtest {

template <class T> T *Child(QWidget *window, const char *name)
{
    T *w = window->findChild<T *>(QString::fromUtf8(name));
    if (!w)
        qFatal("control %s missing", name);
    return w;
}

inline void Click(QWidget *window, const char *name) { QTest::mouseClick(Child<QWidget>(window, name), Qt::LeftButton); }

// "text|style|title" of the only message shown.
inline QString OnlyMessage(const FakeMessageBox &msg)
{
    if (msg.shown.size() != 1)
        return QString::number(msg.shown.size()) + " messages";
    const ShownMessage &m = msg.shown.first();
    return m.text + "|" + QString::number(m.style) + "|" + m.title;
}

inline QStringList Names(const QString &folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }

inline QStringList ItemTexts(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// Over an installation made by MakeInstallation.
class FakeMainWindow : public QWidget, public vv::MainWindowLink {
public:
    explicit FakeMainWindow(const QString &install) : m_install(install), m_library(vv::LibraryPaths(install)) {}
    QWidget *linkWidget() override { return this; }
    const vv::Library &library() const override { return m_library; }
    int categoryIndex() const override { return index; }
    QString categoryText() const override { return categories.value(index); }
    void selectCategoryIndex(int i) override { selected.append(index = i); }
    QString fileListFolder() const override { return m_install + "/Vorlagen/" + categoryText(); }
    QString selectedDocument() const override { return document; }
    void LoadCategory() override { ++loads; }

    QStringList categories{"Steuern", "Verträge", "Leer"};
    int index = 0;
    QString document;
    QList<int> selected;
    int loads = 0;

private:
    QString m_install;
    vv::Library m_library;
};

} // namespace vvtest

#pragma once
// What the bundled demo library holds: categories, forms, help texts and
// favourites of a small German office.

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

namespace vv::demo {

// A form line: "Name" is one labelled line, "PLZ|Ort" two side by side,
// "[]Text" a tick box.
struct FormSpec {
    QString issuer;
    QString address;
    QString title;
    QString subtitle;
    QString paragraph;
    QStringList fields;
    QString code;
    QColor accent;
};

enum class Preview { None, Jpg, Gif, Both };

struct DemoDocument {
    QString file; // with ".pdf"
    FormSpec form;
    Preview preview = Preview::None;
    QString help; // "" = no help text
};

struct DemoCategory {
    QString name; // display name and folder name
    QString help;
    bool dirWithBackslash = true; // how its "DIR" value is written
    QList<DemoDocument> documents;
};

struct DemoFavourite {
    QString label;
    QString category;
    QString file;
};

QList<DemoCategory> Categories();
QList<DemoFavourite> Favourites();
// The page images DOCFORM0.DLL ... DOCFORM4.DLL, in that order.
QList<FormSpec> PowerOfAttorneyForms();

} // namespace vv::demo

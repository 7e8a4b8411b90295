#pragma once
// The production message and input boxes behind MessageBoxSeam.

#include "Seams.h"

#include <QMessageBox>

namespace vv {

class QtMessageBox : public MessageBoxSeam {
public:
    int MsgBox(QWidget *owner, const QString &text, int style, const QString &title) override;
    QString InputBox(QWidget *owner, const QString &prompt, const QString &title,
                     const QString &defaultText) override;
};

// What a style number asks for, for the production box and for tests.
QMessageBox::StandardButtons ButtonsForStyle(int style);
QMessageBox::Icon IconForStyle(int style);
// The answer a pressed standard button gives, in MsgAnswer numbers.
int AnswerForButton(QMessageBox::StandardButton button);

} // namespace vv

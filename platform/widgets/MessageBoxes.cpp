#include "MessageBoxes.h"

#include <QApplication>
#include <QInputDialog>

namespace vv {

QMessageBox::StandardButtons ButtonsForStyle(int style)
{
    switch (style & 0x0F) {
    case 1: return QMessageBox::Ok | QMessageBox::Cancel;
    case 2: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case 3: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case 4: return QMessageBox::Yes | QMessageBox::No;
    case 5: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconForStyle(int style)
{
    switch (style & 0x70) {
    case 16: return QMessageBox::Critical;
    case 32: return QMessageBox::Question;
    case 48: return QMessageBox::Warning;
    case 64: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int AnswerForButton(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok: return vbOK;
    case QMessageBox::Cancel: return vbCancel;
    case QMessageBox::Abort: return vbAbort;
    case QMessageBox::Retry: return vbRetry;
    case QMessageBox::Ignore: return vbIgnore;
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    default: return vbCancel;
    }
}

int QtMessageBox::MsgBox(QWidget *owner, const QString &text, int style, const QString &title)
{
    QMessageBox box(IconForStyle(style), title, text, ButtonsForStyle(style), owner);
    // Names of files and categories are shown as typed, never as markup.
    box.setTextFormat(Qt::PlainText);
    // The busy pointer of a running command must not hide the buttons' pointer.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int pressed = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    return AnswerForButton(static_cast<QMessageBox::StandardButton>(pressed));
}

QString QtMessageBox::InputBox(QWidget *owner, const QString &prompt, const QString &title,
                               const QString &defaultText)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return QString();
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace vv

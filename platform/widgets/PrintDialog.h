#pragma once
// The production print dialog behind PrintDialogSeam: printer, copies and
// pages, all of which the print command really receives.

#include "Seams.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace vv {

class PrintOptionsDialog : public QDialog {
    Q_OBJECT
public:
    PrintOptionsDialog(const QString &document, const QStringList &printers, const PrintOptions &start,
                       QWidget *parent = nullptr);
    // The choices; pages already in lp's form.
    PrintOptions options() const;

private:
    void updateState();

    QComboBox *m_printer = nullptr;
    QSpinBox *m_copies = nullptr;
    QRadioButton *m_all = nullptr;
    QRadioButton *m_some = nullptr;
    QLineEdit *m_pages = nullptr;
    QLabel *m_pagesHint = nullptr;
    QPushButton *m_ok = nullptr;
};

class QtPrintDialog : public PrintDialogSeam {
public:
    QStringList Printers(QString *defaultPrinter) override;
    bool AskPrintOptions(QWidget *owner, const QString &document, const QStringList &printers,
                         PrintOptions &options) override;
};

} // namespace vv

#include "PrintDialog.h"

#include "BusyPointer.h"
#include "Printing.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vv {

PrintOptionsDialog::PrintOptionsDialog(const QString &document, const QStringList &printers,
                                       const PrintOptions &start, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Drucken"));
    setWindowTitle(QStringLiteral("Drucken"));
    auto *outer = new QVBoxLayout(this);

    auto *what = new QLabel(QStringLiteral("Dokument: %1").arg(document), this);
    what->setTextFormat(Qt::PlainText);
    outer->addWidget(what);

    auto *form = new QFormLayout;
    m_printer = new QComboBox(this);
    m_printer->setObjectName(QStringLiteral("cDrucker"));
    m_printer->addItems(printers);
    m_printer->setCurrentIndex(std::max(0, static_cast<int>(printers.indexOf(start.printer))));
    form->addRow(QStringLiteral("&Drucker:"), m_printer);

    m_copies = new QSpinBox(this);
    m_copies->setObjectName(QStringLiteral("tExemplare"));
    m_copies->setRange(1, 999);
    m_copies->setValue(std::max(1, start.copies));
    form->addRow(QStringLiteral("&Exemplare:"), m_copies);
    outer->addLayout(form);

    auto *pages = new QGridLayout;
    m_all = new QRadioButton(QStringLiteral("&Alle Seiten"), this);
    m_all->setObjectName(QStringLiteral("oAlleSeiten"));
    m_some = new QRadioButton(QStringLiteral("&Seiten:"), this);
    m_some->setObjectName(QStringLiteral("oSeiten"));
    m_pages = new QLineEdit(start.pages, this);
    m_pages->setObjectName(QStringLiteral("tSeiten"));
    m_pages->setPlaceholderText(QStringLiteral("z. B. 1-3, 5"));
    // Always there, so the dialog keeps its size while the user types.
    m_pagesHint = new QLabel(QStringLiteral("Seitenzahlen ab 1, Bereiche mit „-“, durch Kommas getrennt"), this);
    m_pagesHint->setEnabled(false);
    auto *group = new QButtonGroup(this);
    group->addButton(m_all);
    group->addButton(m_some);
    (start.pages.isEmpty() ? m_all : m_some)->setChecked(true);
    pages->addWidget(m_all, 0, 0, 1, 2);
    pages->addWidget(m_some, 1, 0);
    pages->addWidget(m_pages, 1, 1);
    pages->addWidget(m_pagesHint, 2, 1);
    outer->addLayout(pages);

    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("&Drucken"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("bDrucken"));
    buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    outer->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_some, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_pages->setFocus();
        updateState();
    });
    connect(m_pages, &QLineEdit::textEdited, this, [this] {
        m_some->setChecked(true);
        updateState();
    });
    updateState();
}

void PrintOptionsDialog::updateState()
{
    QString normalized;
    const bool valid = m_all->isChecked()
                       || (NormalizePageList(m_pages->text(), &normalized) && !normalized.isEmpty());
    m_ok->setEnabled(valid && m_printer->count() > 0);
    // Greyed while it is only a hint, in the text colour once it is needed.
    m_pagesHint->setEnabled(!valid);
}

PrintOptions PrintOptionsDialog::options() const
{
    PrintOptions out;
    out.printer = m_printer->currentText();
    out.copies = m_copies->value();
    if (m_some->isChecked())
        NormalizePageList(m_pages->text(), &out.pages);
    return out;
}

QStringList QtPrintDialog::Printers(QString *defaultPrinter)
{
    BusyPointer busy; // lpstat waits for the scheduler
    return CupsPrinters(defaultPrinter);
}

bool QtPrintDialog::AskPrintOptions(QWidget *owner, const QString &document, const QStringList &printers,
                                    PrintOptions &options)
{
    PrintOptionsDialog dialog(document, printers, options, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    options = dialog.options();
    return true;
}

} // namespace vv

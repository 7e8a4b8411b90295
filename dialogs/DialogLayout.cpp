#include "DialogLayout.h"

#include <QBoxLayout>
#include <QDialog>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace vv {

QGridLayout *BuildDialogHead(QDialog *dialog, QStyle::StandardPixmap icon, QLabel *instruction)
{
    auto *outer = new QVBoxLayout(dialog);

    auto *top = new QHBoxLayout;
    auto *image1 = new QLabel(dialog);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(dialog->style()->standardIcon(icon).pixmap(32, 32));
    image1->setAlignment(Qt::AlignTop);
    instruction->setWordWrap(true);
    top->addWidget(image1);
    top->addWidget(instruction, 1);
    outer->addLayout(top);

    auto *frame1 = new QFrame(dialog);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setFrameShape(QFrame::StyledPanel);
    outer->addWidget(frame1, 1);
    return new QGridLayout(frame1);
}

void BuildOkCancelRow(QDialog *dialog, QPushButton *&ok, QPushButton *&cancel)
{
    auto *buttons = new QHBoxLayout;
    ok = new QPushButton(QStringLiteral("&Ok"), dialog);
    ok->setObjectName(QStringLiteral("bHinzufügen"));
    cancel = new QPushButton(QStringLiteral("&Abbrechen"), dialog);
    cancel->setObjectName(QStringLiteral("bAbbrechen"));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    static_cast<QBoxLayout *>(dialog->layout())->addLayout(buttons);
}

} // namespace vv

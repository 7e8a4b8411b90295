#include "PowerOfAttorneyPage.h"

#include "Clock.h"
#include "Editor.h"
#include "FileServices.h"
#include "Library.h"
#include "Picture.h"
#include "Twips.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vv {

PowerOfAttorneyPage::PowerOfAttorneyPage(Editor &editor) : EditorPage(editor)
{
    m_frame = new QFrame(&editor);
    m_frame->setObjectName(QStringLiteral("fExtras"));
    auto *grid = new QGridLayout(m_frame);
    grid->setContentsMargins(0, 0, 0, 0);

    auto *label = new QLabel(QStringLiteral("Wählen Sie einen Typ der Vollmacht aus der Liste:"), m_frame);
    label->setObjectName(QStringLiteral("Label10"));
    m_type = new QComboBox(m_frame);
    m_type->setObjectName(QStringLiteral("LVollmachtstyp"));
    m_type->addItems({QStringLiteral("Empfangsvollmacht (Verein)"), QStringLiteral("Vertretungsvollmacht (Verein)"),
                      QStringLiteral("Vollmacht und Auftrag (Steuerberater)"),
                      QStringLiteral("Vertretungsvollmacht (Steuerberater)"),
                      QStringLiteral("Beitrittserklärungen (Verein)")});
    m_type->setCurrentIndex(-1); // the tab chooses the first type on its first visit
    label->setBuddy(m_type);

    auto *box = new QFrame(m_frame);
    box->setObjectName(QStringLiteral("pVollmachtCase"));
    box->setFrameShape(QFrame::StyledPanel);
    box->setFrameShadow(QFrame::Sunken);
    box->setBackgroundRole(QPalette::Base);
    box->setAutoFillBackground(true);
    auto *boxLayout = new QHBoxLayout(box);
    boxLayout->setContentsMargins(4, 4, 4, 4);
    m_show = new QLabel(box);
    m_show->setObjectName(QStringLiteral("pVollmachtShow"));
    m_show->setProperty("tag", QString());
    m_show->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    boxLayout->addWidget(m_show);
    // A page's proportions, so the stretched picture is not distorted.
    box->setFixedSize(TwipsToPixelsX(4200), TwipsToPixelsY(5940));

    auto *buttons = new QVBoxLayout;
    const struct {
        const char *name;
        const char *caption;
    } specs[] = {{"bDocShow", "&Anzeigen"}, {"bDocReplace", "&Ersetzen"}, {"bDocKill", "&Löschen"}};
    for (const auto &spec : specs) {
        auto *b = new QPushButton(QString::fromUtf8(spec.caption), m_frame);
        b->setObjectName(QString::fromUtf8(spec.name));
        b->setAutoDefault(false);
        // Showing, replacing and deleting a template are not offered yet.
        b->setEnabled(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();

    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(m_type, 1, 0);
    grid->addWidget(box, 2, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addLayout(buttons, 1, 1, 2, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);

    connect(m_type, &QComboBox::currentIndexChanged, this, [this] { showTemplate(); });
}

QString PowerOfAttorneyPage::helpText() const
{
    return QStringLiteral("Bearbeiten Sie hier die Vorlagen zu den Beitrittserklärungen, Vollmachten und Auträge. "
                          "Ersetzen Sie ggf. das entsprechende Dokument, soweit Änderungen vorgenommen wurden. Die "
                          "Positionierung des Textes führen Sie im Dialog des Aisdrucks (in den Eigenschaften links "
                          "unten) durch.");
}

QWidget *PowerOfAttorneyPage::frame() const { return m_frame; }

void PowerOfAttorneyPage::Load()
{
    if (m_type->currentIndex() < 0) {
        m_type->setCurrentIndex(0);
        Yield();
    }
}

void PowerOfAttorneyPage::showTemplate()
{
    const QString path = m_editor.library().paths().powerOfAttorneyForm(m_type->currentIndex());
    if (path.isEmpty() || !FileExists(path))
        return; // the previous picture and its path stay
    m_show->setScaledContents(true);
    // The page may not have been shown yet: place the picture in its fixed frame first.
    m_show->parentWidget()->layout()->activate();
    const QImage image = ReadPicture(path, ShownSize(m_show));
    if (!image.isNull())
        m_show->setPixmap(QPixmap::fromImage(image));
    m_shown = path;
    m_show->setProperty("tag", path);
    Yield();
}

} // namespace vv

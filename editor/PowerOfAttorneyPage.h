#pragma once
// Tab 4: the five power-of-attorney templates beside the program, chosen by
// type and shown as a picture.

#include "EditorPage.h"
#include "TemplateViewer.h"

#include <QObject>
#include <QPointer>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace vv {

class PowerOfAttorneyPage : public QObject, public EditorPage {
    Q_OBJECT
public:
    explicit PowerOfAttorneyPage(Editor &editor);
    QString helpText() const override;
    int enabledButtons() const override { return 0; }
    QWidget *frame() const override;
    void Load() override;

    // The path of the template shown last; "" until one was shown.
    QString shownTemplate() const { return m_shown; }
    // The open viewer window, or null.
    TemplateViewer *viewer() const { return m_viewer; }

private:
    void showTemplate();
    // The buttons after the selected type's template: showing and deleting
    // need the file, replacing only a type.
    void enableButtons();
    QString typeName() const;
    void showFullSize();
    void replaceTemplate();
    void deleteTemplate();

    QFrame *m_frame = nullptr;
    QComboBox *m_type = nullptr;
    QLabel *m_show = nullptr;
    QPushButton *m_showButton = nullptr;
    QPushButton *m_replaceButton = nullptr;
    QPushButton *m_killButton = nullptr;
    QString m_shown;
    QPointer<TemplateViewer> m_viewer;
};

} // namespace vv

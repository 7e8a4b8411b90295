#pragma once
// Tab 4: the five power-of-attorney templates beside the program, chosen by
// type and shown as a picture.

#include "EditorPage.h"

#include <QObject>

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

private:
    void showTemplate();

    QFrame *m_frame = nullptr;
    QComboBox *m_type = nullptr;
    QLabel *m_show = nullptr;
    QString m_shown;
};

} // namespace vv

#pragma once
// Tab 5: the templates folder, the download of the standard documents and
// the database update.

#include "EditorPage.h"

#include <QObject>

class QFrame;
class QLabel;
class QLineEdit;

namespace vv {

class OptionsPage : public QObject, public EditorPage {
    Q_OBJECT
public:
    explicit OptionsPage(Editor &editor);
    QString helpText() const override;
    int enabledButtons() const override { return 0; }
    QWidget *frame() const override;

    void setTemplatesFolder(const QString &folder);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QFrame *m_frame = nullptr;
    QLabel *m_weblink = nullptr;
    QLineEdit *m_folder = nullptr;
    QLabel *m_checkDocData = nullptr;
};

} // namespace vv

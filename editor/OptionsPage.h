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
    void Load() override;

    void setTemplatesFolder(const QString &folder);
    // A preview for every listed document without one, from its first page.
    void MakePreviews();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPdfProgram();
    void choosePdfProgram();
    void useDesktopPdfProgram();

    QFrame *m_frame = nullptr;
    QLineEdit *m_pdfProgram = nullptr;
    QLabel *m_weblink = nullptr;
    QLineEdit *m_folder = nullptr;
    QLabel *m_checkDocData = nullptr;
};

} // namespace vv

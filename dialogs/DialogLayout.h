#pragma once
// The frame both document dialogs share: an icon beside the instruction text,
// a sunken panel for the controls, and the "Ok"/"Abbrechen" row below.

#include <QStyle>

class QDialog;
class QGridLayout;
class QLabel;
class QPushButton;

namespace vv {

// Lays out `dialog` with `instruction` beside the icon "Image1" and returns
// the grid of the panel "Frame1" for the dialog's own controls.
QGridLayout *BuildDialogHead(QDialog *dialog, QStyle::StandardPixmap icon, QLabel *instruction);

// Appends the button row; called after the panel's controls so that the
// keyboard reaches the buttons last.
void BuildOkCancelRow(QDialog *dialog, QPushButton *&ok, QPushButton *&cancel);

} // namespace vv

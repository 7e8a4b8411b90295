#pragma once
// Finding the PDF program: the stored "PdfEditor" value, else the ".pdf"
// association, else the user's choice in a file dialog. The main window's
// LoadPdfReader and GetPdfReader are one-line wrappers of these; the busy
// pointer around them is the window's.

#include <QString>

class QWidget;

namespace vv {

class Registry;
class FileDialogSeam;

// 1 when "PdfEditor" names an existing file, or a program was found through
// the association or chosen by the user (and written to "PdfEditor"); else 0.
int LoadPdfReader(Registry &reg, FileDialogSeam &dialog, QWidget *owner);

// The stored "PdfEditor" value up to a NUL; "" when none is stored.
QString StoredPdfProgram(Registry &reg);

// The program the ".pdf" association names, trimmed as LoadPdfReader trims
// it. NoAssociation: none is registered; Unusable: one is, but without an
// open command (or a "PDFDummy" type).
struct AssociatedProgram {
    enum Status { NoAssociation, Unusable, Found } status = NoAssociation;
    QString program;
};
AssociatedProgram AssociatedPdfProgram(const Registry &reg);

// Stores the associated program as "PdfEditor", replacing whatever was
// stored; false when there is none or the store could not be written.
bool UseAssociatedPdfProgram(Registry &reg);

// Asks for the program; 1 when one was chosen (and written), else 0.
int GetPdfReader(Registry &reg, FileDialogSeam &dialog, QWidget *owner);

// The association's open command cut down to the program: a final "%1"
// argument (quoted or not) and the quotation marks at both ends go, middle
// arguments stay.
QString TrimOpenCommand(const QString &command);

// The file dialog's filter list for choosing a program.
QString ProgramFilter();

} // namespace vv

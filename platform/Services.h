#pragma once
// The seams a window is handed when it is made. Tests pass fakes; the program
// passes the production implementations. Nothing here is owned.

#include "Seams.h"

namespace vv {

class PdfModule;
class Registry;

struct Services {
    MessageBoxSeam *msg = nullptr;
    FileDialogSeam *fileDialog = nullptr;
    ProcessSeam *process = nullptr;
    ClockSeam *clock = nullptr;
    ExitSeam *exit = nullptr;
    Registry *registry = nullptr;
    PrintDialogSeam *print = nullptr;
    PdfModule *pdf = nullptr; // null: the one beside the program
};

} // namespace vv

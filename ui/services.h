#pragma once

#include "diary/session_services.h"

class QDialog;

namespace tsuzuri {

// Runs a modal dialog of the window (the about box) to its end; a test looks at it instead.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    virtual void run(QDialog& dialog) = 0;
};

// Everything the main window is handed: the session's seams and the window's own. The window owns none of
// them; the composition root (or the test) keeps them alive at least as long as the window.
struct WindowServices {
    SessionServices session;
    DialogRunner* dialogs = nullptr;
};

} // namespace tsuzuri

// Everything the window and the start-up need from modal dialogs, behind one interface so that
// tests can answer in their place. The open dialog comes from ViewerHost.
#pragma once
#include <string>

#include "viewer/print_driver.h"
#include "viewer/viewer.h"

namespace vr {

// The print dialog and the progress of a print job come from PrintHost.
class AppDialogs : public ViewerHost, public PrintHost {
public:
    // A confirmation message with Yes and No, or with Yes alone. The reader never uses the answer.
    virtual void confirm(const std::string& text, bool withNo) = 0;
    // The standard error report: the error's text in a message box.
    virtual void errorReport(const std::string& message) = 0;
    // A plain information message.
    virtual void inform(const std::string& text) = 0;
    // The font setup information window (TFSFonts), modal.
    virtual void showFontsWindow() = 0;
    // The About box (TAboutBox), modal.
    virtual void showAbout() = 0;
    // The printer setup dialog; its result is not used.
    virtual void printerSetup() = 0;
};

}  // namespace vr

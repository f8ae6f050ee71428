// The real dialogs of the window and the start-up.
#pragma once
#include <QPointer>
#include <QProgressDialog>
#include <QWidget>
#include <memory>

#include "app/dialogs.h"

namespace vr {

class QtDialogs : public AppDialogs {
public:
    // Dialogs are owned by the window once it is shown; before that they stand alone.
    void setWindow(QWidget* window) { window_ = window; }

    std::optional<std::string> askOpenFileName() override;
    void confirm(const std::string& text, bool withNo) override;
    void errorReport(const std::string& message) override;
    void inform(const std::string& text) override;
    void showFontsWindow() override;
    void showAbout() override;
    void printerSetup() override;
    bool runPrintDialog(PrinterDevice& printer, PrintRange& range, int minPage, int maxPage) override;
    bool progress(int done, int total) override;

private:
    QWidget* parent() const;
    QPointer<QWidget> window_;
    std::unique_ptr<QProgressDialog> progress_;
};

// The open dialog's settings: initial file name and the three document filters.
QString openDialogInitialName();
QStringList openDialogFilters();

}  // namespace vr

#include "app/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include "app/about_box.h"
#include "app/error_report.h"
#include "app/fonts_window.h"
#include "app/window_printer.h"

namespace vr {

QString openDialogInitialName()
{
    return QStringLiteral("*.VTX;*.VPG;*.BOK");
}

QStringList openDialogFilters()
{
    // File names on the distribution media are upper case, copies are often lower case.
    return {
        QStringLiteral("Page-layout documents (*.VPG *.vpg)"),
        QStringLiteral("Text documents (*.VTX *.vtx)"),
        QStringLiteral("Books (*.BOK *.bok)"),
    };
}

QWidget* QtDialogs::parent() const
{
    // A hidden window would place its dialogs off its own invisible frame.
    return window_ && window_->isVisible() ? window_.data() : nullptr;
}

std::optional<std::string> QtDialogs::askOpenFileName()
{
    QFileDialog dialog(parent(), QStringLiteral("Open"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(openDialogFilters());
    dialog.selectFile(openDialogInitialName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

void QtDialogs::confirm(const std::string& text, bool withNo)
{
    const auto buttons = withNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Yes;
    QMessageBox::question(parent(), QString::fromUtf8(kAppTitle), QString::fromStdString(text), buttons);
}

void QtDialogs::errorReport(const std::string& message)
{
    showErrorReport(parent(), message);
}

void QtDialogs::inform(const std::string& text)
{
    QMessageBox::information(parent(), QString::fromUtf8(kAppTitle), QString::fromStdString(text));
}

void QtDialogs::showFontsWindow()
{
    TFSFonts window(parent());
    window.exec();
}

void QtDialogs::showAbout()
{
    TAboutBox box(parent());
    box.exec();
}

void QtDialogs::printerSetup()
{
    QPrinter printer;
    QPageSetupDialog dialog(&printer, parent());
    dialog.exec();
}

bool QtDialogs::runPrintDialog(PrinterDevice& printer, PrintRange& range, int minPage, int maxPage)
{
    auto* device = dynamic_cast<WindowPrinter*>(&printer);
    if (!device)
        return true;
    QPrinter& qp = device->qprinter();
    QPrintDialog dialog(&qp, parent());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, true);
    dialog.setMinMax(minPage, maxPage);
    dialog.setFromTo(range.from, range.to);
    dialog.setPrintRange(QAbstractPrintDialog::PageRange);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // Whatever range option was chosen, the from and to pages are what prints.
    if (qp.fromPage() > 0 && qp.toPage() >= qp.fromPage()) {
        range.from = qp.fromPage();
        range.to = qp.toPage();
    }
    // The copies are printed one after the other by the print command, not by the queue.
    range.copies = std::max(1, qp.copyCount());
    qp.setCopyCount(1);
    return true;
}

bool QtDialogs::progress(int done, int total)
{
    if (done >= total) {
        progress_.reset();
        return true;
    }
    if (!progress_) {
        progress_ = std::make_unique<QProgressDialog>(QStringLiteral("Printing..."), QStringLiteral("Cancel"), 0, total,
                                                      parent());
        progress_->setWindowTitle(QString::fromUtf8(kAppTitle));
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setMinimumDuration(500);
    }
    progress_->setLabelText(QStringLiteral("Printing sheet %1 of %2").arg(done + 1).arg(total));
    progress_->setValue(done);
    QApplication::processEvents();
    if (progress_->wasCanceled()) {
        progress_.reset();
        return false;
    }
    return true;
}

}  // namespace vr

#include "app/qt_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>

#include "app/about_box.h"
#include "app/error_report.h"
#include "app/fonts_window.h"

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

} // namespace vr

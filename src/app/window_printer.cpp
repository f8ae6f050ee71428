#include "app/window_printer.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <vector>

namespace vr {

WindowPrinter::WindowPrinter(std::unique_ptr<QPrinter> printer, int dpi)
    : detail::OwnedQPrinter{std::move(printer)}, QtPrinterDevice(*owned, dpi)
{
}

std::unique_ptr<PrinterDevice> makeWindowPrinter(const std::string& docFileName)
{
    // The default printer, else the first one installed: the print dialog lets the user choose.
    std::unique_ptr<QPrinter> system = makeSystemPrinter("");
    if (!system) {
        const std::vector<std::string> names = systemPrinterNames();
        if (!names.empty())
            system = makeSystemPrinter(names.front());
    }
    if (system)
        return std::make_unique<WindowPrinter>(std::move(system));
    const QString base = docFileName.empty() ? QStringLiteral("Velmora")
                                             : QFileInfo(QString::fromStdString(docFileName)).completeBaseName();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return std::make_unique<WindowPrinter>(
        makePdfPrinter(QDir(folder).filePath(base + QStringLiteral(".pdf")).toStdString()));
}

}  // namespace vr

#include "app/error_report.h"

#include <QMessageBox>
#include <ostream>

namespace vr {

void showErrorReport(QWidget* parent, const std::string& message)
{
    QMessageBox::critical(parent, QString::fromUtf8(kAppTitle), QString::fromStdString(message));
}

void printErrorReport(std::ostream& out, const std::string& message)
{
    out << "velmora-reader: " << message << '\n';
    out.flush();
}

}  // namespace vr

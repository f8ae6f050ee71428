// The standard error report: the same text in a message box in the window and on standard error
// for the command line.
#pragma once
#include <iosfwd>
#include <string>

class QWidget;

namespace vr {

inline constexpr const char* kAppTitle = "Velmora Reader";

// Message box with the critical icon, titled with the application name.
void showErrorReport(QWidget* parent, const std::string& message);

// One line on a stream: "velmora-reader: <message>".
void printErrorReport(std::ostream& out, const std::string& message);

}  // namespace vr

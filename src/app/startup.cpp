#include "app/startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <exception>

namespace vr {
namespace {

bool isFile(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).isFile();
}

}  // namespace

std::string readStartDocumentName(const std::string& paramFile)
{
    // The name is a counted string of 50: missing bytes read as zero, and a length byte above 50
    // cannot reach past the 50 characters the field holds.
    std::array<char, 51> bytes{};
    QFile file(QString::fromStdString(paramFile));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    file.read(bytes.data(), static_cast<qint64>(bytes.size()));
    file.close();
    const size_t length = std::min<size_t>(static_cast<uint8_t>(bytes[0]), 50);
    std::string name(bytes.data() + 1, length);
    // File names end at the first zero byte when handed to the file system.
    if (const size_t nul = name.find('\0'); nul != std::string::npos)
        name.resize(nul);
    // Parameter files come from Windows media: their folder separators are backslashes.
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

std::string userFontFolder()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return (base + QStringLiteral("/fonts/")).toStdString();
}

StartUp::StartUp(Viewer& viewer, AppDialogs& dialogs, std::string programFolder, std::string fontFolder)
    : loadFont([](const std::string& path) { QFontDatabase::addApplicationFont(QString::fromStdString(path)); }),
      viewer_(viewer),
      dialogs_(dialogs),
      programFolder_(std::move(programFolder)),
      fontFolder_(std::move(fontFolder))
{
}

int StartUp::run()
{
    // Nothing below runs inside the event loop yet: an error while loading the start-up document
    // ends the program once it has been reported.
    try {
        const std::string paramFile = programFolder_ + kParamFileName;
        if (!QFileInfo::exists(QString::fromStdString(paramFile))) {
            viewer_.LoadDocument();
            return 0;
        }
        const std::string startName = readStartDocumentName(paramFile);
        checkFonts();
        if (!startName.empty()) {
            const std::string path = programFolder_ + startName;
            if (isFile(path)) {
                OpenStartDocument(path);
                return 0;
            }
        }
        viewer_.LoadDocument();
        return 0;
    } catch (const std::exception& e) {
        dialogs_.errorReport(e.what());
        return 1;
    }
}

void StartUp::checkFonts()
{
    if (isFile(fontFolder_ + kFontCheckFile))
        return;
    dialogs_.confirm(kFontsMessage, true);
    dialogs_.confirm(kRestartMessage, false);
    // The installer beside the program is a Windows program and cannot run here; the fonts reach
    // the user's font folder through InstallFonts when the start document opens.
    installerFound_ = isFile(programFolder_ + kInstallerName);
}

void StartUp::InstallFonts()
{
    if (isFile(fontFolder_ + kFontsInstalledFile))
        return;
    const QString source = QString::fromStdString(programFolder_ + kFontsFolderName);
    const QString target = QString::fromStdString(fontFolder_);
    // Pattern matching is case-insensitive, as on the file system the fonts come from.
    const QStringList names = QDir(source).entryList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Name);
    if (!names.isEmpty())
        QDir().mkpath(target);
    for (const QString& name : names) {
        // QFile::copy never overwrites: a font already there stays, and any failure is ignored.
        if (QFile::copy(source + name, target + name)) {
            copied_.push_back((target + name).toStdString());
            if (loadFont)
                loadFont(copied_.back());
        }
    }
    dialogs_.showFontsWindow();
}

void StartUp::OpenStartDocument(const std::string& path)
{
    InstallFonts();
    viewer_.state.DocFileName = path;
    viewer_.LoadDocument();
}

}  // namespace vr

// The start-up sequence after the main window exists: parameter file, font check, font copy and
// the first document. Dialogs go through AppDialogs so the whole sequence runs in tests.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "viewer/viewer.h"

namespace vr {

inline constexpr const char* kParamFileName = "QVLParam.PRM";
inline constexpr const char* kFontCheckFile = "QV_Hazel.ttf";
inline constexpr const char* kFontsInstalledFile = "Hazel.ttf";
inline constexpr const char* kInstallerName = "qvlFonts.exe";
inline constexpr const char* kFontsFolderName = "QVLFonts/";
inline constexpr const char* kFontsMessage = "Velmora Fonts Installation.";
inline constexpr const char* kRestartMessage =
    "Before you can use the Reader program, you mast restart Windows Please !";

// The start document name of a parameter file: its first 51 bytes are a length byte and up to 50
// characters. Empty when the file cannot be read.
std::string readStartDocumentName(const std::string& paramFile);

// The user's font folder, with its trailing separator: $XDG_DATA_HOME/fonts/, by default
// ~/.local/share/fonts/.
std::string userFontFolder();

class StartUp {
public:
    // Both folders end with a separator.
    StartUp(Viewer& viewer, AppDialogs& dialogs, std::string programFolder, std::string fontFolder);

    // Parameter file, font check and the first document. Returns 0 when the event loop is to run,
    // or the exit status when loading the start-up document failed (the error was reported).
    int run();

    // Copies the suite's fonts into the font folder unless they are there, then shows the font
    // setup window.
    void InstallFonts();
    // InstallFonts, then loads the given document. Throws what LoadDocument throws.
    void OpenStartDocument(const std::string& path);

    // Makes a copied font usable at once; by default it joins the application's font database.
    std::function<void(const std::string& path)> loadFont;

    // The fonts InstallFonts copied, full target paths in copy order.
    const std::vector<std::string>& copiedFonts() const { return copied_; }
    // The installer beside the program, when the font check found the fonts missing.
    bool installerFound() const { return installerFound_; }

private:
    void checkFonts();

    Viewer& viewer_;
    AppDialogs& dialogs_;
    std::string programFolder_;
    std::string fontFolder_;
    std::vector<std::string> copied_;
    bool installerFound_ = false;
};

}  // namespace vr

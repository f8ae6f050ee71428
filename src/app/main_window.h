// TFSVELMORA: the main window. It forwards its events to the viewer and shows what the viewer
// holds; dialogs go through AppDialogs.
#pragma once
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

#include "app/dialogs.h"
#include "app/recent_documents.h"
#include "viewer/viewer.h"

class QAction;
class QComboBox;
class QFileSystemWatcher;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QScrollBar;
class QTabBar;
class QToolButton;
class QWheelEvent;

namespace vr {

class BevelPanel;
class ChapterListBox;
class PageDesk;
class PlayerWidget;

class TFSVELMORA : public QMainWindow {
    Q_OBJECT
public:
    using PrinterQuery = std::function<std::optional<PrinterPage>()>;
    // The device the Print command prints on, for the document being shown.
    using PrinterFactory = std::function<std::unique_ptr<PrinterDevice>(const std::string& docFileName)>;

    // Runs FormCreate: the viewer's defaults, the blank start page and the printer's page.
    TFSVELMORA(Viewer& viewer, AppDialogs& dialogs, const PrinterQuery& printer, QWidget* parent = nullptr);
    ~TFSVELMORA() override;

    PageDesk* desk() const { return desk_; }
    // The system's printers by default (a PDF file when there is none).
    void setPrinterFactory(PrinterFactory factory) { printerFactory_ = std::move(factory); }

    // Runs a command; an error it raises goes to the standard error report and the window
    // goes on.
    void runCommand(const std::function<void()>& command);
    // Shows what the viewer holds: caption, tabs, zoom text, chapter list, page.
    void refresh();

    // The window title: "NAME — Velmora Reader" while a document's page is shown, else the
    // program's name alone.
    QString titleText() const;
    // Ctrl+plus and Ctrl+minus, Ctrl+wheel: the next zoom of the zoom box up (1) or down (-1).
    void zoomStep(int direction);
    // F5: reads the shown document again, back at the same chapter, page and zoom.
    void reloadDocument();
    // F11: full screen and back.
    void toggleFullScreen();
    // The bar offering to reload a document whose file changed; hidden when there is none.
    QWidget* reloadBar() const { return reloadBar_; }
    RecentDocuments& recentDocuments() { return recent_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildSpeedPanel();
    void buildStatusBar();
    void buildScrollPanel();
    void buildMenu();
    void buildKeys();
    void buildReloadBar();
    void alignControls();
    // Keys and the wheel on the desk: arrows scroll, the wheel scrolls and turns pages at the
    // page's ends, Ctrl+wheel zooms.
    bool deskKey(QKeyEvent* event);
    void deskWheel(QWheelEvent* event);
    // The vertical scroll position that shows the page's bottom edge and shadow.
    int scrollEndPosition() const;
    // After a document was opened (or the open failed): the recent list, the file watcher.
    void documentChanged();
    void fillRecentMenu();
    void openPath(const QString& path);
    void goToTypedPage();
    void FormResize();
    // The players of the shown page as live widgets over it.
    void showPlayers();

    void OpenBtnClick();

public:
    // File > Print: the print dialog, then the chosen pages on the printer; an error is reported
    // and the page comes back as it was.
    void Impression1Click();

private:
    void PrintSetup1Click();
    void SpeedButton1Click();
    void SpeedPanel1Click();
    void About1Click();
    void openDropped(const QString& path);

    Viewer& viewer_;
    AppDialogs& dialogs_;
    PrinterFactory printerFactory_;
    PageDesk* desk_ = nullptr;
    BevelPanel* speedPanel_ = nullptr;
    BevelPanel* statusBar_ = nullptr;
    BevelPanel* pScrollV_ = nullptr;
    ChapterListBox* chapterList_ = nullptr;
    std::vector<QPointer<PlayerWidget>> players_;
    QComboBox* cbZoom_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QScrollBar* scrollBar1_ = nullptr;
    QScrollBar* scrollBar2_ = nullptr;
    QLineEdit* pageField_ = nullptr;
    QLabel* pageCountLabel_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QAction* fullScreenAction_ = nullptr;
    QWidget* reloadBar_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
    RecentDocuments recent_;
    // What the last refresh showed, to notice a document change.
    std::string shownFile_;
    uint64_t shownGeneration_ = 0;
    int wheelAngle_ = 0;
    bool wasMaximized_ = true;
};

}  // namespace vr

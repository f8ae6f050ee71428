// The viewer: the document state and every main-window command, without a window. The window
// forwards its events here and shows what the viewer holds (pages, tabs, zoom text, caption);
// what needs a dialog goes through ViewerHost, which tests replace.
#pragma once
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/diagnostics.h"
#include "document/book_reader.h"
#include "document/document_state.h"
#include "document/page_sink.h"
#include "page/surface.h"
#include "text/records.h"
#include "viewer/print_driver.h"

namespace vr {

class TDMemo;
struct DocumentReadResult;
class DocStream;
class FontCatalogue;
class PrinterDevice;

// What the viewer asks of the window.
class ViewerHost {
public:
    virtual ~ViewerHost() = default;
    // The open dialog: filter for page-layout, text and book files. Empty when cancelled.
    virtual std::optional<std::string> askOpenFileName() = 0;
};

// What the current printer tells about its page: orientation and printable area in millimetres.
struct PrinterPage {
    bool landscape = false;
    int horzSizeMM = 0;
    int vertSizeMM = 0;
};

// Geometry the window applies after a resize (client pixels).
struct ResizeGeometry {
    int scrollBar1Width;
    int pScrollVHeight;
    int scrollBar2Height;
};

class Viewer : public PageSink {
public:
    explicit Viewer(ViewerHost* host = nullptr);
    ~Viewer();

    DocumentState state;
    // Damage recovered from while reading and painting the current document.
    Diagnostics diagnostics;

    // The document named on the command line; the first LoadDocument (the start-up open) takes it.
    std::string commandLineDocument;

    // Window-side model: page tabs, selected tab (-1 none), zoom box text, caption, chapter list.
    std::vector<std::string> pageTabs;
    int selectedTab = -1;
    std::string zoomText = "100  ";
    std::string caption = "Velmora Reader";
    bool chapterListVisible = false;
    int speedPanelHeight = 45;
    // The two reserved bytes after the page size of the last page-layout document.
    std::array<uint8_t, 2> reservedPair{};

    // Books: the chapters of the last book opened, the list's lines as shown (8-bit codes, padded)
    // and the line shown in the list (-1 none).
    std::string BookFileName;
    std::vector<ChapterRecord> ChapterRecords;
    std::vector<std::string> ChapterList;
    int chapterListIndex = -1;
    // Media clips: opened while the document loads unless switched off (fuzzing); a clip that
    // cannot be opened is told here once (the window shows it) besides the diagnostics.
    bool openMediaClips = true;
    std::function<void(const std::string& message)> onDeviceError;

    // Pages in creation order.
    const std::vector<std::unique_ptr<TSurfaceT>>& pages() const { return pages_; }
    // Counts the documents cleared or read: a reload of the same file is a new document, even when
    // its pages happen to sit at the addresses of the last ones.
    uint64_t documentGeneration() const { return documentGeneration_; }

    // Called after every change the window must show.
    std::function<void()> onChanged;

    // Answers whether a font face is installed, for the font substitution of text frames; when
    // empty, the platform's faces are taken once per document.
    FontInstalledFn fontInstalled;
    // The faces the reader knows; when set, the fonts of each document's folder are loaded into it
    // and frames look their faces up there (unless fontInstalled is given).
    FontCatalogue* fonts = nullptr;

    // Loading. LoadDocument throws the system's error when reading stops; the pages read so far
    // stay, hidden.
    void LoadDocument();
    void ClearDocument();
    // Clears the document and reads a page-layout (or text) document from bytes in memory, as
    // LoadDocument does from its file.
    void LoadFromStream(DocStream& stream, bool pageLayout);
    // Start-up: blank page and A4 set-up (no printer is consulted here).
    void startUp();
    // The Open command: forgets the document's name, hides the chapter list and loads (the host's
    // open dialog asks for the file).
    void openDocument();
    // Books: fills the chapter list from the book and opens its first chapter (nothing happens
    // when the book file does not exist).
    void OpenBook(const std::string& bookFile);
    // The chapter list's selection changed to line k: opens that chapter.
    void ChapterListChange(int k);
    // Orientation and page size from the current printer; with none, A4 portrait.
    void ApplyPrinterPage(const std::optional<PrinterPage>& printer);
    // The Print command: the range and copies the host's dialog answers, printed at 100 % zoom
    // with the document's orientation; the zoom and the shown page come back afterwards, also
    // when an object's print throws (the job is then aborted and the error passes on).
    PrintOutcome printDocument(PrinterDevice& printer, PrintHost& host);

    // Pages.
    TSurfaceT& createnewpage(bool hidden) override;
    TDMemo& CreateNewMemo() override;
    TSurfaceT* FindPage(int32_t n);
    void RebuildPageTabs();

    // Navigation and zoom.
    void nextPage();
    void previousPage();
    void lastPage();
    void firstPage();
    void goToTab(int tabIndex);  // the page tab set: tab k (from 0) shows page k + 1
    void goToPage(int32_t number) { goToTab(number - 1); }
    void SetZoom(int percent);
    // The zoom box: an item picked from its list ("30" ... "200").
    void chooseZoom(const std::string& item);

    // Scrolling: positions 0..100.
    void scrollHorizontally(int position);
    void scrollVertically(int position);

    static ResizeGeometry resizeGeometry(int windowWidth, int windowHeight, int scrollBar1Left, int pScrollVWidth,
                                         int pScrollVTop, int scrollBar1Height);

    // The pixel size of a page from millimetres at the window's resolution.
    int mmToPixels(int32_t mm) const;

private:
    void changed();
    void scaleCurrentPage(int m, int d);
    void readBody(DocStream& s, bool pageLayout);
    void openChapter(const ChapterRecord& record);
    void showFirstPage(const DocumentReadResult& read, bool pageLayout);
    void placeAndShow(TSurfaceT& page);
    std::optional<int32_t> neighbourNumber(int32_t from, int direction) const;

    ViewerHost* host_;
    std::vector<std::unique_ptr<TSurfaceT>> pages_;
    uint64_t documentGeneration_ = 0;
};

// The zoom box's items (30 ... 200) are the steps of zooming in and out: the next item above
// (direction 1) or below (-1) `percent`, or `percent` itself past the last one.
int nextZoomStep(int percent, int direction);

// The extension rule of the loader: the text from the last dot of the file name, first four
// characters, upper-cased ("" when the name has no dot after its last separator).
std::string documentExtension(const std::string& fileName);

}  // namespace vr

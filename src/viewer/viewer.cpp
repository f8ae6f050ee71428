#include "viewer/viewer.h"

#include <algorithm>
#include <cctype>
#include <iterator>

#include "core/doc_stream.h"
#include "core/errors.h"
#include "core/fields.h"
#include "core/rounding.h"
#include "document/document_reader.h"
#include "gfx/fonts/font_catalogue.h"
#include "objects/image.h"
#include "text/memo.h"

namespace vr {

namespace {

constexpr double kMmPerInch = 25.4;

// Calls the viewer's change notification however a command ends.
class ChangeGuard {
public:
    explicit ChangeGuard(const std::function<void()>& f) : f_(f) { }
    ~ChangeGuard()
    {
        if (f_)
            f_();
    }

private:
    const std::function<void()>& f_;
};

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::string documentExtension(const std::string& fileName)
{
    const size_t dot = fileName.find_last_of("./");
    if (dot == std::string::npos || fileName[dot] != '.')
        return {};
    std::string ext = fileName.substr(dot, 4);
    for (char& c : ext)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

int nextZoomStep(int percent, int direction)
{
    constexpr int kSteps[] = {30, 70, 100, 130, 170, 200};
    if (direction > 0) {
        for (const int z : kSteps)
            if (z > percent)
                return z;
    } else {
        for (auto it = std::rbegin(kSteps); it != std::rend(kSteps); ++it)
            if (*it < percent)
                return *it;
    }
    return percent;
}

Viewer::Viewer(ViewerHost* host) : host_(host) { }

Viewer::~Viewer() = default;

void Viewer::changed()
{
    if (onChanged)
        onChanged();
}

int Viewer::mmToPixels(int32_t mm) const
{
    return roundHalfEven(static_cast<double>(state.PixelsPerInch) * mm / kMmPerInch);
}

// ---- Start-up -------------------------------------------------------------------------------

void Viewer::startUp()
{
    state.DocFileName.clear();
    chapterListVisible = false;
    state.OpeningChapter = false;
    state.ZoomFactor = 1.0;
    state.PageCount = 0;
    state.CurrentPageNo = 0;
    RebuildPageTabs();
    state.LoadingDocument = false;
    state.DefaultFont = FontRequest{};
    state.PageSetup = PageSetupT{1, 1, 210, 297};
    createnewpage(false);
    changed();
}

void Viewer::ApplyPrinterPage(const std::optional<PrinterPage>& printer)
{
    // Page sizes are kept in millimetres everywhere, so the printer's printable area is taken as
    // it is; with no printer the page is A4 portrait.
    state.PageSetup.SizeCodeA = 2;
    state.PageSetup.SizeCodeB = 2;
    if (printer && printer->horzSizeMM > 0 && printer->vertSizeMM > 0) {
        state.Orientation = printer->landscape ? 1 : 0;
        state.PageSetup.PageWidthMM = printer->horzSizeMM;
        state.PageSetup.PageHeightMM = printer->vertSizeMM;
    } else {
        state.Orientation = 0;
        state.PageSetup.PageWidthMM = 210;
        state.PageSetup.PageHeightMM = 297;
    }
    if (state.CurrentPage)
        SetPageSetup(*state.CurrentPage, state.PageSetup);
    changed();
}

void Viewer::openDocument()
{
    state.DocFileName.clear();
    chapterListVisible = false;
    LoadDocument();
}

// ---- Loading --------------------------------------------------------------------------------

void Viewer::ClearDocument()
{
    // Every page surface goes, whatever number its page tag gave it.
    pages_.clear();
    ++documentGeneration_;
    diagnostics.clear();
    state.CurrentPage = nullptr;
    state.PageCount = 0;
    state.CurrentPageNo = 0;
    RebuildPageTabs();
    state.ZoomFactor = 1.0;
    state.ZoomPercent = 100;
    zoomText = "100";
    if (!state.LoadingDocument)
        createnewpage(false);
}

void Viewer::LoadDocument()
{
    ChangeGuard guard(onChanged);
    state.LoadingDocument = true;
    ClearDocument();
    state.LoadingDocument = false;

    if (!state.OpeningChapter) {
        if (!commandLineDocument.empty()) {
            // Only the start-up open takes the command-line document; later opens ask.
            state.DocFileName = commandLineDocument;
            commandLineDocument.clear();
        } else if (state.DocFileName.empty() && host_) {
            if (auto chosen = host_->askOpenFileName())
                state.DocFileName = *chosen;
        }
        if (!state.DocFileName.empty() && documentExtension(state.DocFileName) == ".BOK") {
            chapterListVisible = true;
            OpenBook(state.DocFileName);
            return;
        }
    }

    const std::string ext = documentExtension(state.DocFileName);
    const bool pageLayout = ext == ".VPG";
    if (state.DocFileName.empty() || (!pageLayout && ext != ".VTX"))
        return;

    caption = "Velmora 2000 " + state.DocFileName;
    DocStream stream = DocStream::openFile(state.DocFileName);
    state.DocFolder = folderOf(state.DocFileName);
    if (fonts)
        fonts->loadFontsIn(state.DocFolder);

    readBody(stream, pageLayout);
}

void Viewer::readBody(DocStream& stream, bool pageLayout)
{
    DocumentReadContext ctx;
    ctx.fontInstalled = fontInstalled ? fontInstalled : fonts ? fonts->installedFn() : installedFontCatalogue();
    ctx.diagnostics = &diagnostics;
    ctx.media.open = openMediaClips;
    ctx.media.onDeviceError = onDeviceError;
    DocumentReadResult read;
    try {
        if (pageLayout)
            readPageLayout(stream, state, *this, ctx, read);
        else
            readTextDocument(stream, state, *this, ctx, read);
    } catch (...) {
        // The pages read so far stay, hidden; the error goes on to the caller.
        if (pageLayout)
            reservedPair = read.reservedPair;
        throw;
    }
    showFirstPage(read, pageLayout);
}

void Viewer::showFirstPage(const DocumentReadResult& read, bool pageLayout)
{
    if (pageLayout)
        reservedPair = read.reservedPair;
    state.PageFound = false;
    if (read.pagesRead > 0) {
        TSurfaceT* first = FindPage(1);
        state.CurrentPage = first;
        if (state.PageFound) {
            first->left = state.PageLeft;
            first->top = state.PageTop;
            first->visible = true;
            state.CurrentPageNo = 1;
            RebuildPageTabs();
            if (pageLayout && (read.orientationCode == "0" || read.orientationCode == "1"))
                state.Orientation = read.orientationCode == "1" ? 1 : 0;
        }
    }
}

void Viewer::LoadFromStream(DocStream& stream, bool pageLayout)
{
    ChangeGuard guard(onChanged);
    state.LoadingDocument = true;
    ClearDocument();
    state.LoadingDocument = false;
    readBody(stream, pageLayout);
}

// ---- Pages ----------------------------------------------------------------------------------

TSurfaceT& Viewer::createnewpage(bool hidden)
{
    pages_.push_back(std::make_unique<TSurfaceT>());
    TSurfaceT& page = *pages_.back();
    state.CurrentPage = &page;
    page.left = state.PageLeft;
    page.top = state.PageTop;
    page.width = mmToPixels(state.PageSetup.PageWidthMM);
    page.height = mmToPixels(state.PageSetup.PageHeightMM);
    page.visible = !hidden;
    SetPageSetup(page, state.PageSetup);
    ++state.PageCount;
    ++state.CurrentPageNo;
    page.pageNumber = state.PageCount;
    pageTabs.push_back(std::to_string(state.CurrentPageNo));
    return page;
}

TDMemo& Viewer::CreateNewMemo()
{
    TSurfaceT& page = createnewpage(true);
    auto memo = std::make_unique<TDMemo>();
    memo->LeftMargin = 5;
    memo->RightMargin = 5;
    // The frame sits 40 pixels inside each edge of its page.
    memo->left = 40;
    memo->top = 40;
    memo->width = page.width - 80;
    memo->height = page.height - 80;
    // Its columns span that width: text pages store no frame width, and lines set from the
    // column's right edge (printing) would otherwise end left of the frame, off the sheet.
    memo->LayoutWidth = memo->width;
    return static_cast<TDMemo&>(page.add(std::move(memo)));
}

TSurfaceT* Viewer::FindPage(int32_t n)
{
    state.PageFound = false;
    for (const auto& page : pages_) {
        if (page->pageNumber == n) {
            state.PageFound = true;
            if (state.CurrentPage)
                state.CurrentPage->visible = false;
            return page.get();
        }
    }
    return state.CurrentPage;
}

void Viewer::RebuildPageTabs()
{
    pageTabs.clear();
    for (int32_t i = 1; i <= state.PageCount; ++i)
        pageTabs.push_back(std::to_string(i));
    selectedTab = state.CurrentPageNo - 1;
    if (selectedTab >= static_cast<int>(pageTabs.size()))
        selectedTab = -1;
}

// ---- Navigation -----------------------------------------------------------------------------

std::optional<int32_t> Viewer::neighbourNumber(int32_t from, int direction) const
{
    // Next goes to the lowest page number above the shown page's, previous to the highest one
    // below it (down to 1): missing numbers are skipped, and a page tagged beyond the page count
    // is still reached.
    std::optional<int32_t> best;
    for (const auto& page : pages_) {
        const int32_t n = page->pageNumber;
        if (direction > 0 ? n > from && (!best || n < *best) : n < from && n >= 1 && (!best || n > *best))
            best = n;
    }
    return best;
}

void Viewer::placeAndShow(TSurfaceT& page)
{
    page.left = state.PageLeft;
    page.top = state.PageTop;
    page.visible = true;
}

void Viewer::nextPage()
{
    if (!state.CurrentPage)
        return;
    ChangeGuard guard(onChanged);
    const int saved = state.ZoomPercent;
    SetZoom(100);
    state.CurrentPage->visible = false;
    state.PageFound = false;
    if (const auto n = neighbourNumber(state.CurrentPage->pageNumber, +1))
        state.CurrentPage = FindPage(*n);
    if (state.PageFound) {
        placeAndShow(*state.CurrentPage);
        ++state.CurrentPageNo;
        selectedTab = state.CurrentPageNo - 1;
    }
    state.CurrentPage->visible = true;
    SetZoom(saved);
}

void Viewer::previousPage()
{
    if (!state.CurrentPage)
        return;
    ChangeGuard guard(onChanged);
    const int saved = state.ZoomPercent;
    SetZoom(100);
    if (state.CurrentPageNo - 1 >= 1) {
        state.CurrentPage->visible = false;
        state.PageFound = false;
        if (const auto n = neighbourNumber(state.CurrentPage->pageNumber, -1))
            state.CurrentPage = FindPage(*n);
        if (state.PageFound) {
            placeAndShow(*state.CurrentPage);
            --state.CurrentPageNo;
            RebuildPageTabs();
        } else {
            state.CurrentPage->visible = true;  // nothing earlier: the page stays shown
        }
    }
    SetZoom(saved);
}

void Viewer::lastPage()
{
    if (!state.CurrentPage)
        return;
    ChangeGuard guard(onChanged);
    const int saved = state.ZoomPercent;
    SetZoom(100);
    if (state.CurrentPageNo < state.PageCount) {
        state.CurrentPage->visible = false;
        state.CurrentPage = FindPage(state.PageCount);
        if (state.PageFound) {
            state.CurrentPageNo = state.PageCount;
            RebuildPageTabs();
        }
        state.CurrentPage->visible = true;
    }
    state.CurrentPage->left = state.PageLeft;
    state.CurrentPage->top = state.PageTop;
    SetZoom(saved);
}

void Viewer::firstPage()
{
    if (!state.CurrentPage)
        return;
    ChangeGuard guard(onChanged);
    const int saved = state.ZoomPercent;
    SetZoom(100);
    if (state.CurrentPageNo > 1) {
        state.CurrentPage->visible = false;
        state.CurrentPage = FindPage(1);
        if (state.PageFound) {
            state.CurrentPageNo = 1;
            RebuildPageTabs();
        }
        state.CurrentPage->visible = true;
    }
    state.CurrentPage->left = state.PageLeft;
    state.CurrentPage->top = state.PageTop;
    SetZoom(saved);
}

void Viewer::goToTab(int tabIndex)
{
    if (!state.CurrentPage)
        return;
    ChangeGuard guard(onChanged);
    const int saved = state.ZoomPercent;
    SetZoom(100);
    selectedTab = tabIndex;
    state.CurrentPage->visible = false;
    state.CurrentPage = FindPage(tabIndex + 1);
    if (state.PageFound) {
        placeAndShow(*state.CurrentPage);
        state.CurrentPageNo = std::min(tabIndex + 1, state.PageCount);
    }
    state.CurrentPage->visible = true;
    SetZoom(saved);
}

// ---- Zoom and scrolling ---------------------------------------------------------------------

void Viewer::scaleCurrentPage(int m, int d)
{
    if (state.CurrentPage && m > 0 && d > 0)
        state.CurrentPage->changeScale(m, d);
}

void Viewer::SetZoom(int percent)
{
    if (percent == state.ZoomPercent || !state.CurrentPage || percent <= 0)
        return;
    scaleCurrentPage(100, state.ZoomPercent);
    state.ZoomFactor = percent / 100.0;
    scaleCurrentPage(percent, 100);
    state.ZoomPercent = percent;
    zoomText = std::to_string(percent);
    changed();
}

void Viewer::chooseZoom(const std::string& item)
{
    if (!state.CurrentPage)
        return;
    int percent;
    try {
        percent = strictToInt(item);
    } catch (const VError&) {
        return;
    }
    if (percent < 30 || percent > 200)
        return;
    scaleCurrentPage(100, state.ZoomPercent);
    scaleCurrentPage(percent, 100);
    state.ZoomPercent = percent;
    state.ZoomFactor = percent / 100.0;
    zoomText = item;
    changed();
}

void Viewer::scrollHorizontally(int position)
{
    if (!state.CurrentPage)
        return;
    state.PageLeft = 5 - 15 * position;
    state.CurrentPage->left = state.PageLeft;
    RefreshTransparentFrames(*state.CurrentPage);
    changed();
}

void Viewer::scrollVertically(int position)
{
    if (!state.CurrentPage)
        return;
    state.PageTop = speedPanelHeight + 5 - 20 * position;
    state.CurrentPage->top = state.PageTop;
    RefreshTransparentFrames(*state.CurrentPage);
    changed();
}

ResizeGeometry Viewer::resizeGeometry(int windowWidth, int windowHeight, int scrollBar1Left, int pScrollVWidth,
                                      int pScrollVTop, int scrollBar1Height)
{
    ResizeGeometry g{};
    g.scrollBar1Width = windowWidth - scrollBar1Left - pScrollVWidth - 10;
    g.pScrollVHeight = windowHeight - pScrollVTop - scrollBar1Height - 10;
    g.scrollBar2Height = g.pScrollVHeight - 10;
    return g;
}

}  // namespace vr

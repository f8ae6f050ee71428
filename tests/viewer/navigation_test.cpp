#include <gtest/gtest.h>

#include "viewer_fixture.h"

using namespace vr;

TEST_F(ViewerTest, StartPageIsBlankA4AndVisible)
{
    EXPECT_EQ(viewer.state.PageCount, 1);
    ASSERT_NE(viewer.state.CurrentPage, nullptr);
    EXPECT_TRUE(viewer.state.CurrentPage->visible);
    EXPECT_EQ(viewer.state.CurrentPage->width, 794);
    EXPECT_EQ(viewer.state.CurrentPage->height, 1123);
    EXPECT_EQ(viewer.state.CurrentPage->left, 0);
    EXPECT_EQ(viewer.state.CurrentPage->top, 0);
    EXPECT_EQ(viewer.pageTabs, (std::vector<std::string>{"1"}));
}

TEST_F(ViewerTest, PrinterPageSetsOrientationAndMillimetres)
{
    viewer.ApplyPrinterPage(PrinterPage{true, 287, 200});
    EXPECT_EQ(viewer.state.Orientation, 1);
    EXPECT_EQ(viewer.state.PageSetup, (PageSetupT{2, 2, 287, 200}));
    EXPECT_EQ(viewer.state.CurrentPage->pageSetup, (PageSetupT{2, 2, 287, 200}));
    viewer.createnewpage(false);
    EXPECT_EQ(viewer.state.CurrentPage->width, 1085);  // round(287 * 96 / 25.4) = round(1084.7)
    viewer.ApplyPrinterPage(std::nullopt);
    EXPECT_EQ(viewer.state.Orientation, 0);
    EXPECT_EQ(viewer.state.PageSetup, (PageSetupT{2, 2, 210, 297}));
}

TEST_F(ViewerTest, NextSkipsMissingNumbersButCountsOne)
{
    open(pagesTagged({"P1", "P2", "P4"}));
    viewer.nextPage();
    EXPECT_EQ(viewer.state.CurrentPage->pageNumber, 2);
    viewer.nextPage();
    EXPECT_EQ(viewer.state.CurrentPage->pageNumber, 4);
    EXPECT_EQ(viewer.state.CurrentPageNo, 3);
    EXPECT_EQ(viewer.pageTabs, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(viewer.selectedTab, 2);
    int visible = 0;
    for (const auto& p : viewer.pages())
        visible += p->visible;
    EXPECT_EQ(visible, 1);
}

TEST_F(ViewerTest, NextOnTheLastPageKeepsPageNumberAndZoom)
{
    open(pagesTagged({"P1", "P2"}));
    viewer.lastPage();
    viewer.SetZoom(150);
    TSurfaceT* last = viewer.state.CurrentPage;
    viewer.nextPage();
    EXPECT_EQ(viewer.state.CurrentPage, last);
    EXPECT_TRUE(last->visible);
    EXPECT_EQ(viewer.state.CurrentPageNo, 2);
    EXPECT_EQ(viewer.state.ZoomPercent, 150);
    EXPECT_EQ(last->width, 1191);
}

TEST_F(ViewerTest, PreviousAndFirstOnPageOneChangeNothing)
{
    open(pagesTagged({"P1", "P2"}));
    viewer.SetZoom(70);
    TSurfaceT* first = viewer.state.CurrentPage;
    const int width = first->width;
    viewer.previousPage();
    viewer.firstPage();
    EXPECT_EQ(viewer.state.CurrentPage, first);
    EXPECT_TRUE(first->visible);
    EXPECT_EQ(viewer.state.CurrentPageNo, 1);
    EXPECT_EQ(first->width, width);
}

TEST_F(ViewerTest, PreviousLastFirstAndTabs)
{
    open(pagesTagged({"P1", "P2", "P3"}));
    viewer.lastPage();
    EXPECT_EQ(viewer.state.CurrentPage->pageNumber, 3);
    EXPECT_EQ(viewer.state.CurrentPageNo, 3);
    EXPECT_EQ(viewer.selectedTab, 2);
    viewer.previousPage();
    EXPECT_EQ(viewer.state.CurrentPage->pageNumber, 2);
    EXPECT_EQ(viewer.selectedTab, 1);
    viewer.firstPage();
    EXPECT_EQ(viewer.state.CurrentPage->pageNumber, 1);
    EXPECT_FALSE(viewer.pages()[1]->visible);
    viewer.goToTab(2);
    EXPECT_EQ(viewer.state.CurrentPage->pageNumber, 3);
    EXPECT_EQ(viewer.state.CurrentPageNo, 3);
    EXPECT_TRUE(viewer.state.CurrentPage->visible);
    // A tab whose number no page carries keeps the current page shown.
    viewer.goToTab(7);
    EXPECT_EQ(viewer.state.CurrentPage->pageNumber, 3);
    EXPECT_TRUE(viewer.state.CurrentPage->visible);
    EXPECT_EQ(viewer.state.CurrentPageNo, 3);
}

TEST_F(ViewerTest, PagesReadBeforeAnErrorAreReachable)
{
    vrtest::VpgWriter w;
    w.page("P1").line(vrtest::LineRec()).page("P2").line(vrtest::LineRec()).page("P");
    EXPECT_NE(open(write("e.VPG", w.bytes())), "");
    EXPECT_EQ(viewer.state.CurrentPageNo, 3);
    viewer.firstPage();
    EXPECT_EQ(viewer.state.CurrentPage->pageNumber, 1);
    EXPECT_TRUE(viewer.state.CurrentPage->visible);
}

TEST_F(ViewerTest, ZoomReturnsToActualSizeBeforeScaling)
{
    TSurfaceT* page = viewer.state.CurrentPage;
    viewer.SetZoom(150);
    EXPECT_EQ(page->width, 1191);
    EXPECT_DOUBLE_EQ(viewer.state.ZoomFactor, 1.5);
    EXPECT_EQ(viewer.zoomText, "150");
    const uint64_t serial = page->paintSerial();
    viewer.SetZoom(150);
    EXPECT_EQ(page->paintSerial(), serial);
    viewer.SetZoom(120);
    EXPECT_EQ(page->width, 953);  // 794 x 1.2 = 952.8, not 1191 x 0.8
    EXPECT_EQ(page->height, 1348);
    viewer.chooseZoom("170");
    EXPECT_EQ(viewer.state.ZoomPercent, 170);
    EXPECT_DOUBLE_EQ(viewer.state.ZoomFactor, 1.7);
    EXPECT_EQ(page->width, 1350);  // 794 x 1.7 = 1349.8
    EXPECT_EQ(viewer.zoomText, "170");
    viewer.chooseZoom("abc");
    EXPECT_EQ(viewer.state.ZoomPercent, 170);
    // A new document starts at actual size.
    open(pagesTagged({"P1"}));
    EXPECT_EQ(viewer.state.ZoomPercent, 100);
    EXPECT_EQ(viewer.state.CurrentPage->width, 794);
}

TEST_F(ViewerTest, ScrollingPlacesThePageAndZoomNeverMovesIt)
{
    viewer.scrollVertically(0);
    EXPECT_EQ(viewer.state.CurrentPage->top, 50);
    viewer.scrollVertically(100);
    EXPECT_EQ(viewer.state.PageTop, -1950);
    viewer.scrollHorizontally(0);
    EXPECT_EQ(viewer.state.CurrentPage->left, 5);
    viewer.scrollHorizontally(100);
    EXPECT_EQ(viewer.state.CurrentPage->left, -1495);
    viewer.SetZoom(200);
    EXPECT_EQ(viewer.state.CurrentPage->left, -1495);
    EXPECT_EQ(viewer.state.CurrentPage->top, -1950);
    // Pages shown later take the scrolled position.
    open(pagesTagged({"P1", "P2"}));
    EXPECT_EQ(viewer.state.CurrentPage->left, -1495);
    viewer.nextPage();
    EXPECT_EQ(viewer.state.CurrentPage->top, -1950);
}

TEST_F(ViewerTest, WithoutAPageTheCommandsDoNothing)
{
    host.answer.reset();
    viewer.openDocument();
    ASSERT_EQ(viewer.state.CurrentPage, nullptr);
    viewer.nextPage();
    viewer.previousPage();
    viewer.lastPage();
    viewer.firstPage();
    viewer.goToTab(0);
    viewer.SetZoom(200);
    viewer.chooseZoom("30");
    viewer.scrollHorizontally(3);
    EXPECT_EQ(viewer.state.ZoomPercent, 100);
    EXPECT_EQ(viewer.state.PageLeft, 0);
    EXPECT_EQ(viewer.state.CurrentPage, nullptr);
}

TEST_F(ViewerTest, ResizeGeometry)
{
    const ResizeGeometry g = Viewer::resizeGeometry(1024, 768, 358, 23, 45, 16);
    EXPECT_EQ(g.scrollBar1Width, 633);
    EXPECT_EQ(g.pScrollVHeight, 697);
    EXPECT_EQ(g.scrollBar2Height, 687);
}

TEST_F(ViewerTest, FindPageWithoutMatchKeepsTheCurrentPage)
{
    open(pagesTagged({"P1", "P2"}));
    TSurfaceT* cur = viewer.state.CurrentPage;
    EXPECT_EQ(viewer.FindPage(9), cur);
    EXPECT_FALSE(viewer.state.PageFound);
    EXPECT_TRUE(cur->visible);
    EXPECT_EQ(viewer.FindPage(2), viewer.pages()[1].get());
    EXPECT_TRUE(viewer.state.PageFound);
    EXPECT_FALSE(cur->visible);
}

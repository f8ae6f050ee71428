// The main window: controls as laid out, menu, keys, page tabs, dropped files and the painted
// page with its shadow.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QTabBar>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "app/window_printer.h"
#include "gfx/print/printer.h"
#include "window_site.h"

namespace {

// A 96-dpi printer whose finished sheets stay with the test.
class KeptPrinter : public vr::MemoryPrinter {
public:
    explicit KeptPrinter(std::vector<QImage>& out) : MemoryPrinter(96), out_(out) { }
    void endDoc() override
    {
        out_ = sheets();
        MemoryPrinter::endDoc();
    }

private:
    std::vector<QImage>& out_;
};

struct WindowSite : vrtest::WindowSite {
    std::vector<QImage> sheets;

    explicit WindowSite(std::optional<vr::PrinterPage> p = std::nullopt) : vrtest::WindowSite(p)
    {
        window->setPrinterFactory([this](const std::string&) { return std::make_unique<KeptPrinter>(sheets); });
    }
    QAction* action(const char* name) const { return child<QAction>(name); }
    QTabBar* tabs() const { return child<QTabBar>("TSCompteurPage"); }
    QStringList tabTexts() const
    {
        QStringList texts;
        for (int i = 0; i < tabs()->count(); ++i)
            texts << tabs()->tabText(i);
        return texts;
    }
};

void dropUrls(QWidget* target, const QList<QUrl>& urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void panelsAlignAndFormResize()
    {
        WindowSite site;
        site.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(site.window.get()));
        QCOMPARE(site.window->objectName(), QString("FSVELMORA"));
        const int w = site.window->desk()->width(), h = site.window->desk()->height();
        QCOMPARE(w, 1000);
        QCOMPARE(site.child<QWidget>("SpeedPanel")->geometry(), QRect(0, 0, w, 45));
        QCOMPARE(site.child<QWidget>("StatusBar")->geometry(), QRect(0, h - 22, w, 22));
        QCOMPARE(site.child<QWidget>("PScrollV")->geometry(), QRect(w - 23, 45, 23, h - 67));
        // Scroll bar 1: outer width - left 358 - panel 23 - 10; scroll bar 2: the aligned panel - 10.
        const int outer = site.window->frameGeometry().width();
        QCOMPARE(site.child<QScrollBar>("ScrollBar1")->geometry(), QRect(358, 3, outer - 391, 16));
        QCOMPARE(site.child<QScrollBar>("ScrollBar2")->geometry(), QRect(3, 4, 16, h - 77));

        site.window->resize(800, 600);
        QTRY_COMPARE(site.child<QScrollBar>("ScrollBar1")->width(), site.window->frameGeometry().width() - 391);
        QCOMPARE(site.window->width(), 800);
        QCOMPARE(site.child<QWidget>("PScrollV")->x(), 777);
        QCOMPARE(site.child<QScrollBar>("ScrollBar2")->height(), site.window->desk()->height() - 77);

        // Hiding the tool bar gives its room to the scroll panel.
        site.action("SpeedPanel1")->trigger();
        QVERIFY(!site.child<QWidget>("SpeedPanel")->isVisible());
        QCOMPARE(site.child<QWidget>("PScrollV")->geometry().top(), 0);
        site.action("SpeedPanel1")->trigger();
        QVERIFY(site.child<QWidget>("SpeedPanel")->isVisible());
        QCOMPARE(site.child<QWidget>("PScrollV")->geometry().top(), 45);
    }

    void zoomMenuItems_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("percent");
        QTest::newRow("30") << "N301" << 30;
        QTest::newRow("70") << "N701" << 70;
        QTest::newRow("120") << "N1201" << 120;
        QTest::newRow("150") << "N1501" << 150;
        QTest::newRow("200") << "N2001" << 200;
    }
    void zoomMenuItems()
    {
        QFETCH(QString, item);
        QFETCH(int, percent);
        WindowSite site;
        site.window->findChild<QAction*>(item)->trigger();
        QCOMPARE(site.viewer.state.ZoomPercent, percent);
        QCOMPARE(site.child<QComboBox>("CBZoom")->currentText(), QString::number(percent));
        // Both "100%" items return to actual size.
        for (const char* back : {"N1002", "N1001"}) {
            site.window->findChild<QAction*>(item)->trigger();
            site.action(back)->trigger();
            QCOMPARE(site.viewer.state.ZoomPercent, 100);
            QCOMPARE(site.child<QComboBox>("CBZoom")->currentText(), QString("100"));
        }
    }

    void zoomBoxTakesItemsButNoKeys()
    {
        WindowSite site;
        QVERIFY(site.showActive());
        auto* zoom = site.child<QComboBox>("CBZoom");
        QCOMPARE(zoom->currentText(), QString("100  "));
        emit zoom->activated(4);  // "170" picked with the mouse
        QCOMPARE(site.viewer.state.ZoomPercent, 170);
        QCOMPARE(zoom->currentText(), QString("170"));

        zoom->setFocus();
        QTest::keyClick(zoom->lineEdit(), Qt::Key_Backspace);
        QTest::keyClicks(zoom->lineEdit(), "5");
        QTest::keyClick(zoom->lineEdit(), Qt::Key_Down);
        QTest::keyClick(zoom, Qt::Key_Up);
        QTest::keyClick(zoom, Qt::Key_Return);
        QCOMPARE(zoom->currentText(), QString("170"));
        QCOMPARE(site.viewer.state.ZoomPercent, 170);

        // Menu shortcuts still work while the box has the focus.
        QTest::keyClick(zoom->lineEdit(), Qt::Key_X, Qt::ControlModifier);
        QTRY_VERIFY(!site.window->isVisible());
    }

    void pageTabsButtonsAndKeysMoveBetweenPages()
    {
        WindowSite site;
        QVERIFY(site.showActive());
        const QString doc = site.document("three.VPG", 3);
        site.load(doc);
        QCOMPARE(site.window->windowTitle(), QString::fromUtf8("three.VPG \u2014 Velmora Reader"));
        QCOMPARE(site.tabTexts(), QStringList({"1", "2", "3"}));
        QCOMPARE(site.tabs()->currentIndex(), 0);

        QTest::mouseClick(site.tabs(), Qt::LeftButton, {}, site.tabs()->tabRect(2).center());
        QCOMPARE(site.viewer.state.CurrentPageNo, 3);
        QTRY_COMPARE(site.tabs()->currentIndex(), 2);

        QTest::mouseClick(site.child<QToolButton>("premierepage"), Qt::LeftButton);
        QCOMPARE(site.viewer.state.CurrentPageNo, 1);
        QCOMPARE(site.tabs()->currentIndex(), 0);
        QTest::mouseClick(site.child<QToolButton>("pagesuivante"), Qt::LeftButton);
        QCOMPARE(site.viewer.state.CurrentPageNo, 2);
        QCOMPARE(site.tabs()->currentIndex(), 1);
        QTest::mouseClick(site.child<QToolButton>("dernierepage"), Qt::LeftButton);
        QCOMPARE(site.viewer.state.CurrentPageNo, 3);
        QTest::mouseClick(site.child<QToolButton>("pageprecedante"), Qt::LeftButton);
        QCOMPARE(site.viewer.state.CurrentPageNo, 2);

        QTest::keyClick(site.window.get(), Qt::Key_PageDown);
        QCOMPARE(site.viewer.state.CurrentPageNo, 3);
        QTest::keyClick(site.window.get(), Qt::Key_PageUp);
        QCOMPARE(site.viewer.state.CurrentPageNo, 2);
        QTest::keyClick(site.window.get(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(site.viewer.state.CurrentPageNo, 1);
        QTest::keyClick(site.window.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(site.viewer.state.CurrentPageNo, 3);
        QCOMPARE(site.tabs()->currentIndex(), 2);
    }

    void commandsReachTheirDialogs()
    {
        WindowSite site;
        QVERIFY(site.showActive());
        QTest::keyClick(site.window.get(), Qt::Key_F3);
        QTest::mouseClick(site.child<QToolButton>("OpenBtn"), Qt::LeftButton);
        QTest::keyClick(site.window.get(), Qt::Key_P, Qt::ControlModifier);
        QTest::mouseClick(site.child<QToolButton>("SpeedButton14"), Qt::LeftButton);
        site.action("PrintSetup1")->trigger();
        site.action("About1")->trigger();
        // With no page (the open was cancelled) there is nothing to print and no print dialog.
        const std::vector<std::string> expected = {"open", "open", "printer setup", "about"};
        QCOMPARE(site.dialogs.log, expected);
        // The cancelled open left no page and no tab.
        QVERIFY(site.viewer.state.CurrentPage == nullptr);
        QCOMPARE(site.tabs()->count(), 0);
    }

    void printCommandPrintsTheChosenPagesAndKeepsTheView()
    {
        WindowSite site;
        site.window->show();
        site.load(site.document("three.VPG", 3));
        site.viewer.SetZoom(150);
        site.dialogs.printAnswer = vr::PrintRange{2, 3, 2};
        site.action("Print1")->trigger();
        QCOMPARE(site.dialogs.log, std::vector<std::string>{"print:1-3 of 1-200"});
        QCOMPARE(site.sheets.size(), size_t(4));
        QCOMPARE(site.sheets[0].size(), QSize(794, 1123));
        QCOMPARE(site.viewer.state.ZoomPercent, 150);
        QCOMPARE(site.child<QComboBox>("CBZoom")->currentText(), QString("150"));
        QVERIFY(site.viewer.state.CurrentPage->visible);
    }

    void withoutAnyPrinterThePrintCommandWritesAPdf()
    {
        qputenv("CUPS_SERVER", "127.0.0.1:9");  // no print server answers there
        std::unique_ptr<vr::PrinterDevice> device = vr::makeWindowPrinter("/archive/Letter.VTX");
        qunsetenv("CUPS_SERVER");
        auto* printer = dynamic_cast<vr::WindowPrinter*>(device.get());
        QVERIFY(printer);
        if (printer->qprinter().outputFormat() != QPrinter::PdfFormat)
            QSKIP("a printer is reachable here without a print server");
        QVERIFY(printer->qprinter().outputFileName().endsWith("/Letter.pdf"));
        QCOMPARE(printer->horzSize(), 210);
        QCOMPARE(printer->vertSize(), 297);
    }

    void exitShortcutClosesWhileDocumentShown()
    {
        WindowSite site;
        QVERIFY(site.showActive());
        site.load(site.document("shown.VPG", 2));
        QCOMPARE(site.viewer.state.PageCount, 2);
        QTest::keyClick(site.window.get(), Qt::Key_X, Qt::ControlModifier);
        QTRY_VERIFY(!site.window->isVisible());
    }

    void droppedFileOpens()
    {
        WindowSite site;
        site.window->show();
        const QString first = site.document("first.VPG", 2);
        const QString second = site.document("second.VPG", 3);
        dropUrls(site.window.get(),
                 {QUrl("https://example.org/remote.VPG"), QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
        QTRY_COMPARE(site.viewer.state.PageCount, 2);
        QCOMPARE(site.viewer.state.DocFileName, first.toStdString());
        QCOMPARE(site.tabTexts(), QStringList({"1", "2"}));
        QVERIFY(site.dialogs.log.empty());
    }

    void commandErrorIsReportedAndWindowGoesOn()
    {
        WindowSite site;
        site.window->show();
        vrtest::VpgWriter w;
        w.page("P1").pageCountText("?");
        const QString bad = site.dir.path() + "/bad.VPG";
        w.save(bad.toStdString());
        dropUrls(site.window.get(), {QUrl::fromLocalFile(bad)});
        QTRY_COMPARE(site.dialogs.log.size(), size_t(1));
        QCOMPARE(site.dialogs.log[0], std::string("error:'?' n'est pas une valeur entière correcte"));
        QVERIFY(site.window->isVisible());
        // The next command works as usual.
        site.load(site.document("good.VPG", 1));
        QCOMPARE(site.viewer.state.PageCount, 1);
    }

    void printerPageAppliedAtCreation()
    {
        WindowSite withPrinter(vr::PrinterPage{true, 277, 190});
        QCOMPARE(withPrinter.viewer.state.Orientation, 1);
        QCOMPARE(withPrinter.viewer.state.PageSetup.PageWidthMM, 277);
        QCOMPARE(withPrinter.viewer.state.PageSetup.PageHeightMM, 190);
        QVERIFY(withPrinter.dialogs.log.empty());

        WindowSite none;
        QCOMPARE(none.viewer.state.Orientation, 0);
        QCOMPARE(none.viewer.state.PageSetup.PageWidthMM, 210);
        QVERIFY(none.dialogs.log.empty());
        QVERIFY(none.viewer.state.CurrentPage && none.viewer.state.CurrentPage->visible);
    }

    void pagePaintedWithShadow()
    {
        WindowSite site;
        site.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(site.window.get()));
        site.action("N301")->trigger();
        // Scroll to 1 and back to 0: the page goes to (5, 50).
        for (const char* name : {"ScrollBar1", "ScrollBar2"}) {
            site.child<QScrollBar>(name)->setValue(1);
            site.child<QScrollBar>(name)->setValue(0);
        }
        const vr::TSurfaceT& page = *site.viewer.state.CurrentPage;
        QCOMPARE(QRect(page.left, page.top, page.width, page.height), QRect(5, 50, 238, 337));

        const QImage desk = site.window->desk()->grab().toImage();
        const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255), blue = qRgb(0, 0, 255);
        QCOMPARE(site.window->desk()->shadowRect(), QRect(15, 60, 238, 337));
        QCOMPARE(desk.pixel(105, 150), white);  // inside the page
        QCOMPARE(desk.pixel(252, 150), black);  // shadow's last column
        QCOMPARE(desk.pixel(253, 150), blue);  // desk right of it
        QCOMPARE(desk.pixel(250, 59), blue);  // above the shadow
        QCOMPARE(desk.pixel(250, 60), black);
        QCOMPARE(desk.pixel(14, 390), blue);  // left of the shadow, under the page
        QCOMPARE(desk.pixel(15, 390), black);
        QCOMPARE(desk.pixel(100, 396), black);  // shadow's last row
        QCOMPARE(desk.pixel(100, 397), blue);
        QCOMPARE(desk.pixel(4, 200), blue);  // left of the page

        // Repainting an unchanged page reuses its image; a change paints it again.
        const int renders = site.window->desk()->renderCount();
        site.window->desk()->grab();
        QCOMPARE(site.window->desk()->renderCount(), renders);
        site.action("N701")->trigger();
        site.window->desk()->grab();
        QCOMPARE(site.window->desk()->renderCount(), renders + 1);
    }

    void pageUnderToolBarAtStart()
    {
        WindowSite site;
        site.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(site.window.get()));
        // The start page sits at (0, 0): its top rows are under the tool bar, its left part
        // white below it.
        const QImage desk = site.window->desk()->grab().toImage();
        QCOMPARE(desk.pixel(300, 20), qRgb(192, 192, 192));
        QCOMPARE(desk.pixel(300, 100), qRgb(255, 255, 255));
        QCOMPARE(site.window->desk()->shadowRect(), QRect(10, 10, 794, 1123));
    }
};

int runMainWindowTests(int argc, char** argv)
{
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_tests.moc"

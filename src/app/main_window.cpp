#include "app/main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <exception>

#include "app/bevel_panel.h"
#include "app/chapter_list_box.h"
#include "app/error_report.h"
#include "app/key_discarder.h"
#include "app/page_desk.h"
#include "app/pictures.h"
#include "app/player_widget.h"
#include "app/window_printer.h"
#include "gfx/print/printer.h"
#include "player/player.h"

namespace vr {
namespace {

QFont pixelFont(const QString& family, int pixelSize, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void setHint(QWidget* w, const QString& hint)
{
    w->setToolTip(hint);
    w->setStatusTip(hint);
}

QToolButton* speedButton(QWidget* parent, const char* name, QRect geometry, Glyph glyph, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(geometry);
    const int glyphSize = std::max(7, geometry.width() - 6);
    b->setIcon(QIcon(buttonGlyph(glyph, glyphSize)));
    b->setIconSize(QSize(glyphSize, glyphSize));
    setHint(b, hint);
    return b;
}

QAction* menuItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(shortcut);
    return a;
}

QAction* separator(QMenu* menu, const char* name)
{
    QAction* a = menu->addSeparator();
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

}  // namespace

TFSVELMORA::TFSVELMORA(Viewer& viewer, AppDialogs& dialogs, const PrinterQuery& printer, QWidget* parent)
    : QMainWindow(parent), viewer_(viewer), dialogs_(dialogs), printerFactory_(makeWindowPrinter)
{
    setObjectName(QStringLiteral("FSVELMORA"));
    setFont(pixelFont(QStringLiteral("System"), 13, true));
    setWindowIcon(programIcons());
    setAcceptDrops(true);
    resize(724, 399);

    desk_ = new PageDesk(viewer_, this);
    setCentralWidget(desk_);
    desk_->setFocusPolicy(Qt::StrongFocus);
    desk_->installEventFilter(this);
    desk_->onPaintError = [this](const std::string& message) { dialogs_.inform(message); };
    desk_->onResized = [this] {
        alignControls();
        FormResize();
    };
    buildSpeedPanel();
    buildStatusBar();
    buildScrollPanel();
    buildMenu();
    buildKeys();
    buildReloadBar();
    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
        // Editors often save by writing a new file over the old name: watch the new one.
        if (QFileInfo::exists(path) && !watcher_->files().contains(path))
            watcher_->addPath(path);
        reloadBar_->show();
        reloadBar_->raise();
    });

    viewer_.onChanged = [this] { refresh(); };
    // A clip that cannot be opened is shown by the standard error report once the loading is done.
    viewer_.onDeviceError = [this](const std::string& message) {
        QMetaObject::invokeMethod(
            this, [this, message] { dialogs_.errorReport(message); }, Qt::QueuedConnection);
    };

    // FormCreate. Without a printer the page stays A4 and nothing is reported.
    runCommand([&] {
        viewer_.startUp();
        viewer_.ApplyPrinterPage(printer ? printer() : std::nullopt);
    });
    QFont windowFont = font();
    windowFont.setFamily(QString::fromStdString(viewer_.state.DefaultFont.face));
    windowFont.setPointSize(std::max(1, viewer_.state.DefaultFont.pointSize));
    setFont(windowFont);
    refresh();
}

TFSVELMORA::~TFSVELMORA()
{
    viewer_.onChanged = nullptr;
    viewer_.onDeviceError = nullptr;
}

void TFSVELMORA::buildSpeedPanel()
{
    speedPanel_ = new BevelPanel(desk_, Bevel::Raised, Bevel::Raised, 3, 0);
    speedPanel_->setObjectName(QStringLiteral("SpeedPanel"));

    auto* open = speedButton(speedPanel_, "OpenBtn", {10, 10, 25, 25}, Glyph::Open,
                             QStringLiteral("Open a page-layout file (*.VPG) or a text file (*.VTX)"));
    connect(open, &QToolButton::clicked, this, &TFSVELMORA::OpenBtnClick);
    auto* print =
        speedButton(speedPanel_, "SpeedButton14", {37, 10, 25, 25}, Glyph::Print, QStringLiteral("Print current file"));
    connect(print, &QToolButton::clicked, this, &TFSVELMORA::Impression1Click);

    chapterList_ = new ChapterListBox(speedPanel_);
    chapterList_->setObjectName(QStringLiteral("ChapterList"));
    chapterList_->setFont(pixelFont(QStringLiteral("ZR Keyb"), 13, true));
    chapterList_->setGeometry(70, 8, 523, 24);
    chapterList_->hide();
    connect(chapterList_, &QComboBox::activated, this,
            [this](int index) { runCommand([&] { viewer_.ChapterListChange(index); }); });

    auto* label2 = new QLabel(QStringLiteral("page "), speedPanel_);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setFont(pixelFont(QStringLiteral("System"), 13, true));
    label2->move(601, 12);
    label2->adjustSize();

    struct PageButton {
        const char* name;
        int left;
        Glyph glyph;
        const char* hint;
        void (Viewer::*command)();
    };
    const PageButton buttons[] = {
        {"premierepage", 639, Glyph::First, "First page", &Viewer::firstPage},
        {"pageprecedante", 652, Glyph::Previous, "After page", &Viewer::previousPage},
        {"pagesuivante", 672, Glyph::Next, "Next page", &Viewer::nextPage},
        {"dernierepage", 685, Glyph::Last, "Last page", &Viewer::lastPage},
    };
    for (const PageButton& pb : buttons) {
        auto* b = speedButton(speedPanel_, pb.name, {pb.left, 15, 13, 13}, pb.glyph, QString::fromLatin1(pb.hint));
        const auto command = pb.command;
        connect(b, &QToolButton::clicked, this, [this, command] { runCommand([&] { (viewer_.*command)(); }); });
    }

    // The page to go to, typed; the number of pages beside it.
    pageField_ = new QLineEdit(speedPanel_);
    pageField_->setObjectName(QStringLiteral("PageNumber"));
    pageField_->setGeometry(704, 11, 36, 22);
    pageField_->setAlignment(Qt::AlignRight);
    pageField_->setValidator(new QIntValidator(1, 99999, pageField_));
    setHint(pageField_, QStringLiteral("Go to page"));
    connect(pageField_, &QLineEdit::returnPressed, this, &TFSVELMORA::goToTypedPage);
    pageCountLabel_ = new QLabel(speedPanel_);
    pageCountLabel_->setObjectName(QStringLiteral("PageCount"));
    pageCountLabel_->setGeometry(744, 12, 60, 20);
}

void TFSVELMORA::goToTypedPage()
{
    const int n = pageField_->text().toInt();
    desk_->setFocus();
    if (n >= 1 && n <= viewer_.state.PageCount)
        runCommand([&] { viewer_.goToPage(n); });
    refresh();
}

void TFSVELMORA::buildStatusBar()
{
    statusBar_ = new BevelPanel(desk_, Bevel::None, Bevel::None, 1, 0);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    statusBar_->setFont(pixelFont(QStringLiteral("Times New Roman"), 9, true));

    auto* label1 = new QLabel(QStringLiteral("Zoom %"), statusBar_);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setFont(pixelFont(QStringLiteral("Times New Roman"), 13, true));
    label1->move(6, 3);
    label1->adjustSize();

    cbZoom_ = new QComboBox(statusBar_);
    cbZoom_->setObjectName(QStringLiteral("CBZoom"));
    cbZoom_->setEditable(true);
    cbZoom_->setInsertPolicy(QComboBox::NoInsert);
    cbZoom_->addItems({QStringLiteral("30"), QStringLiteral("70"), QStringLiteral("100"), QStringLiteral("130"),
                       QStringLiteral("170"), QStringLiteral("200")});
    // The limit of 3 characters holds for typing only: the program itself sets "100  ". A
    // validator, unlike QLineEdit's maximum length, leaves text set by the program alone.
    cbZoom_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral(".{0,3}")), cbZoom_));
    cbZoom_->setFocusPolicy(Qt::ClickFocus);
    cbZoom_->setGeometry(55, 1, 50, 20);
    setHint(cbZoom_, QStringLiteral("Zoom %"));
    auto* discarder = new KeyDiscarder(cbZoom_);
    cbZoom_->installEventFilter(discarder);
    cbZoom_->lineEdit()->installEventFilter(discarder);
    cbZoom_->setEditText(QStringLiteral("100  "));
    connect(cbZoom_, &QComboBox::activated, this, [this](int index) {
        const std::string item = cbZoom_->itemText(index).toStdString();
        runCommand([&] { viewer_.chooseZoom(item); });
    });

    tabs_ = new QTabBar(statusBar_);
    tabs_->setObjectName(QStringLiteral("TSCompteurPage"));
    tabs_->setFont(pixelFont(QStringLiteral("MS Serif"), 11, false));
    tabs_->setShape(QTabBar::RoundedSouth);
    tabs_->setDrawBase(false);
    tabs_->setExpanding(false);
    tabs_->setUsesScrollButtons(true);
    tabs_->setFocusPolicy(Qt::NoFocus);
    tabs_->setStyleSheet(
        QStringLiteral("QTabBar::tab { height: 10px; padding: 0px 4px; border: 1px solid black; border-top: none;"
                       " background: #c0c0c0; }"
                       "QTabBar::tab:selected { background: white; }"));
    tabs_->setGeometry(114, 1, 237, 20);
    setHint(tabs_, QStringLiteral("Pages number"));
    connect(tabs_, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index < 0)
            return;
        runCommand([&] { viewer_.goToTab(index); });
        // The tab bar selects the clicked tab after this signal; the viewer's choice wins.
        QTimer::singleShot(0, this, &TFSVELMORA::refresh);
    });

    scrollBar1_ = new QScrollBar(Qt::Horizontal, statusBar_);
    scrollBar1_->setObjectName(QStringLiteral("ScrollBar1"));
    scrollBar1_->setRange(0, 100);
    scrollBar1_->setFocusPolicy(Qt::NoFocus);
    scrollBar1_->setGeometry(358, 3, 247, 16);
    connect(scrollBar1_, &QScrollBar::valueChanged, this,
            [this](int position) { runCommand([&] { viewer_.scrollHorizontally(position); }); });
}

void TFSVELMORA::buildScrollPanel()
{
    pScrollV_ = new BevelPanel(desk_, Bevel::Raised, Bevel::Lowered, 1, 1);
    pScrollV_->setObjectName(QStringLiteral("PScrollV"));

    scrollBar2_ = new QScrollBar(Qt::Vertical, pScrollV_);
    scrollBar2_->setObjectName(QStringLiteral("ScrollBar2"));
    scrollBar2_->setRange(0, 100);
    scrollBar2_->setFocusPolicy(Qt::NoFocus);
    scrollBar2_->setGeometry(3, 4, 16, 100);
    connect(scrollBar2_, &QScrollBar::valueChanged, this,
            [this](int position) { runCommand([&] { viewer_.scrollVertically(position); }); });

    // Pages never cover the tool bar, the scroll panel or the status bar.
    speedPanel_->raise();
    pScrollV_->raise();
    statusBar_->raise();
}

void TFSVELMORA::buildMenu()
{
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Menus keep the desktop's menu font, not the window's.
    bar->setFont(QApplication::font("QMenuBar"));
    setMenuBar(bar);

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    QAction* open = menuItem(file, "Open1", QStringLiteral("&Open"), QKeySequence(Qt::Key_F3));
    open->setShortcuts({QKeySequence(Qt::Key_F3), QKeySequence(Qt::CTRL | Qt::Key_O)});
    connect(open, &QAction::triggered, this, &TFSVELMORA::OpenBtnClick);
    recentMenu_ = file->addMenu(QStringLiteral("Open &Recent"));
    recentMenu_->setObjectName(QStringLiteral("RecentMenu"));
    fillRecentMenu();
    connect(menuItem(file, "Reload1", QStringLiteral("Re&load"), QKeySequence(Qt::Key_F5)), &QAction::triggered, this,
            &TFSVELMORA::reloadDocument);
    separator(file, "N2");
    connect(menuItem(file, "PrintSetup1", QStringLiteral("Print &Setup")), &QAction::triggered, this,
            &TFSVELMORA::PrintSetup1Click);
    connect(menuItem(file, "Print1", QStringLiteral("&Print"), QKeySequence(Qt::CTRL | Qt::Key_P)), &QAction::triggered,
            this, &TFSVELMORA::Impression1Click);
    separator(file, "N1");
    QAction* exit = menuItem(file, "Exit1", QStringLiteral("&Exit"), QKeySequence(Qt::CTRL | Qt::Key_X));
    exit->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::CTRL | Qt::Key_Q)});
    connect(exit, &QAction::triggered, this, &TFSVELMORA::SpeedButton1Click);

    QMenu* pages = bar->addMenu(QStringLiteral("Pages"));
    pages->setObjectName(QStringLiteral("Pages1"));
    auto zoomItem = [this](QMenu* menu, const char* name, const QString& caption, int percent) {
        connect(menuItem(menu, name, caption), &QAction::triggered, this,
                [this, percent] { runCommand([&] { viewer_.SetZoom(percent); }); });
    };
    zoomItem(pages, "N1002", QStringLiteral("100%"), 100);
    QMenu* zoom = pages->addMenu(QStringLiteral("Zoom"));
    zoom->setObjectName(QStringLiteral("Zoom1"));
    zoom->menuAction()->setObjectName(QStringLiteral("Zoom1Item"));
    zoomItem(zoom, "N301", QStringLiteral("30%"), 30);
    zoomItem(zoom, "N701", QStringLiteral("70%"), 70);
    zoomItem(zoom, "N1001", QStringLiteral("100%"), 100);
    zoomItem(zoom, "N1201", QStringLiteral("120%"), 120);
    zoomItem(zoom, "N1501", QStringLiteral("150%"), 150);
    zoomItem(zoom, "N2001", QStringLiteral("200%"), 200);
    QAction* zoomIn = menuItem(pages, "ZoomIn1", QStringLiteral("Zoom &In"));
    zoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    connect(zoomIn, &QAction::triggered, this, [this] { zoomStep(1); });
    connect(menuItem(pages, "ZoomOut1", QStringLiteral("Zoom O&ut"), QKeySequence(Qt::CTRL | Qt::Key_Minus)),
            &QAction::triggered, this, [this] { zoomStep(-1); });
    connect(menuItem(pages, "SpeedPanel1", QStringLiteral("&Speed Panel")), &QAction::triggered, this,
            &TFSVELMORA::SpeedPanel1Click);
    fullScreenAction_ = menuItem(pages, "FullScreen1", QStringLiteral("&Full Screen"), QKeySequence(Qt::Key_F11));
    fullScreenAction_->setCheckable(true);
    connect(fullScreenAction_, &QAction::triggered, this, &TFSVELMORA::toggleFullScreen);

    QMenu* help = bar->addMenu(QStringLiteral("?"));
    help->setObjectName(QStringLiteral("N3"));
    connect(menuItem(help, "About1", QStringLiteral("About")), &QAction::triggered, this, &TFSVELMORA::About1Click);
}

void TFSVELMORA::buildKeys()
{
    // The page keys of other readers, besides the menu shortcuts.
    struct Key {
        QKeySequence sequence;
        void (Viewer::*command)();
    };
    const Key keys[] = {
        {QKeySequence(Qt::Key_PageDown), &Viewer::nextPage},
        {QKeySequence(Qt::Key_PageUp), &Viewer::previousPage},
        {QKeySequence(Qt::CTRL | Qt::Key_Home), &Viewer::firstPage},
        {QKeySequence(Qt::CTRL | Qt::Key_End), &Viewer::lastPage},
    };
    for (const Key& key : keys) {
        auto* shortcut = new QShortcut(key.sequence, this);
        const auto command = key.command;
        connect(shortcut, &QShortcut::activated, this, [this, command] { runCommand([&] { (viewer_.*command)(); }); });
    }
}

void TFSVELMORA::buildReloadBar()
{
    reloadBar_ = new QWidget(desk_);
    reloadBar_->setObjectName(QStringLiteral("ReloadBar"));
    reloadBar_->setAutoFillBackground(true);
    QPalette palette = reloadBar_->palette();
    palette.setColor(QPalette::Window, QColor(255, 244, 200));
    palette.setColor(QPalette::WindowText, Qt::black);
    reloadBar_->setPalette(palette);
    auto* layout = new QHBoxLayout(reloadBar_);
    layout->setContentsMargins(8, 2, 8, 2);
    auto* text = new QLabel(QStringLiteral("The document's file has changed."), reloadBar_);
    layout->addWidget(text, 1);
    auto* reload = new QToolButton(reloadBar_);
    reload->setObjectName(QStringLiteral("ReloadButton"));
    reload->setText(QStringLiteral("Reload"));
    connect(reload, &QToolButton::clicked, this, &TFSVELMORA::reloadDocument);
    layout->addWidget(reload);
    auto* dismiss = new QToolButton(reloadBar_);
    dismiss->setObjectName(QStringLiteral("DismissButton"));
    dismiss->setText(QStringLiteral("Keep"));
    connect(dismiss, &QToolButton::clicked, reloadBar_, &QWidget::hide);
    layout->addWidget(dismiss);
    reloadBar_->hide();
}

QString TFSVELMORA::titleText() const
{
    const QString program = QString::fromUtf8(kAppTitle);
    const TSurfaceT* page = viewer_.state.CurrentPage;
    if (!page || !page->visible || viewer_.state.PageCount == 0 || viewer_.state.DocFileName.empty())
        return program;
    // A book is known by its own name, not its chapter's.
    const std::string& file =
        viewer_.chapterListVisible && !viewer_.BookFileName.empty() ? viewer_.BookFileName : viewer_.state.DocFileName;
    return QFileInfo(QString::fromStdString(file)).fileName() + QStringLiteral(" \u2014 ") + program;
}

void TFSVELMORA::zoomStep(int direction)
{
    const int next = nextZoomStep(viewer_.state.ZoomPercent, direction);
    if (next != viewer_.state.ZoomPercent)
        runCommand([&] { viewer_.SetZoom(next); });
}

void TFSVELMORA::reloadDocument()
{
    reloadBar_->hide();
    if (viewer_.state.DocFileName.empty())
        return;
    const bool book = viewer_.chapterListVisible && !viewer_.BookFileName.empty();
    const int chapter = viewer_.chapterListIndex;
    const int page = viewer_.state.CurrentPageNo;
    const int zoom = viewer_.state.ZoomPercent;
    runCommand([&] {
        if (book)
            viewer_.state.DocFileName = viewer_.BookFileName;
        viewer_.LoadDocument();
        if (book && chapter > 0 && static_cast<size_t>(chapter) < viewer_.ChapterList.size())
            viewer_.ChapterListChange(chapter);
        if (page > 1 && page <= viewer_.state.PageCount)
            viewer_.goToPage(page);
        viewer_.SetZoom(zoom);
    });
}

void TFSVELMORA::toggleFullScreen()
{
    if (isFullScreen()) {
        if (wasMaximized_)
            showMaximized();
        else
            showNormal();
    } else {
        wasMaximized_ = isMaximized();
        showFullScreen();
    }
    fullScreenAction_->setChecked(isFullScreen());
}

void TFSVELMORA::fillRecentMenu()
{
    recentMenu_->clear();
    const QStringList entries = recent_.entries();
    for (int i = 0; i < entries.size(); ++i) {
        const QFileInfo info(entries[i]);
        QAction* a = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(info.fileName()));
        a->setToolTip(entries[i]);
        a->setStatusTip(entries[i]);
        a->setData(entries[i]);
        a->setEnabled(info.exists());
        connect(a, &QAction::triggered, this, [this, path = entries[i]] { openPath(path); });
    }
    recentMenu_->setEnabled(!entries.isEmpty());
}

void TFSVELMORA::openPath(const QString& path)
{
    viewer_.state.DocFileName = path.toStdString();
    viewer_.chapterListVisible = false;
    runCommand([this] { viewer_.LoadDocument(); });
}

void TFSVELMORA::documentChanged()
{
    reloadBar_->hide();
    if (!watcher_->files().isEmpty())
        watcher_->removePaths(watcher_->files());
    if (titleText() == QString::fromUtf8(kAppTitle))
        return;  // nothing shown: nothing to remember or watch
    const bool book = viewer_.chapterListVisible && !viewer_.BookFileName.empty();
    const QString file = QString::fromStdString(book ? viewer_.BookFileName : viewer_.state.DocFileName);
    recent_.add(file);
    fillRecentMenu();
    QStringList watched{QFileInfo(file).absoluteFilePath()};
    if (book)
        watched << QFileInfo(QString::fromStdString(viewer_.state.DocFileName)).absoluteFilePath();
    watched.removeDuplicates();
    watcher_->addPaths(watched);
}

bool TFSVELMORA::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == desk_) {
        if (event->type() == QEvent::KeyPress && deskKey(static_cast<QKeyEvent*>(event)))
            return true;
        if (event->type() == QEvent::Wheel) {
            deskWheel(static_cast<QWheelEvent*>(event));
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TFSVELMORA::deskKey(QKeyEvent* event)
{
    if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Up:
        scrollBar2_->setValue(scrollBar2_->value() - 1);
        return true;
    case Qt::Key_Down:
        scrollBar2_->setValue(scrollBar2_->value() + 1);
        return true;
    case Qt::Key_Left:
        scrollBar1_->setValue(scrollBar1_->value() - 1);
        return true;
    case Qt::Key_Right:
        scrollBar1_->setValue(scrollBar1_->value() + 1);
        return true;
    case Qt::Key_Home:
        scrollBar2_->setValue(0);
        return true;
    case Qt::Key_End:
        scrollBar2_->setValue(scrollEndPosition());
        return true;
    case Qt::Key_Escape:
        if (isFullScreen()) {
            toggleFullScreen();
            return true;
        }
        return false;
    default:
        return false;
    }
}

int TFSVELMORA::scrollEndPosition() const
{
    const TSurfaceT* page = viewer_.state.CurrentPage;
    if (!page)
        return 0;
    // The page's top at position p is the tool bar's height + 5 - 20 p; its shadow ends 10 lower.
    const int viewBottom = statusBar_->y();
    const int overhang = viewer_.speedPanelHeight + 5 + page->height + 10 - viewBottom;
    return std::clamp((overhang + 19) / 20, 0, scrollBar2_->maximum());
}

void TFSVELMORA::deskWheel(QWheelEvent* event)
{
    // One notch (120) is three scroll steps; finer wheels add up.
    const QPoint angle = event->angleDelta();
    const bool horizontal = angle.x() != 0 && angle.y() == 0;
    wheelAngle_ += horizontal ? angle.x() : angle.y();
    const int steps = wheelAngle_ / 40;
    wheelAngle_ -= steps * 40;
    if (steps == 0)
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        wheelAngle_ = 0;
        zoomStep(steps > 0 ? 1 : -1);
        return;
    }
    if (horizontal || (event->modifiers() & Qt::ShiftModifier)) {
        scrollBar1_->setValue(scrollBar1_->value() - steps);
        return;
    }
    const DocumentState& s = viewer_.state;
    const int end = scrollEndPosition();
    if (steps < 0 && scrollBar2_->value() >= end && s.CurrentPage && s.CurrentPageNo < s.PageCount) {
        // Past the page's bottom: on to the top of the next page.
        runCommand([this] { viewer_.nextPage(); });
        scrollBar2_->setValue(0);
        runCommand([this] { viewer_.scrollVertically(0); });
        wheelAngle_ = 0;
        return;
    }
    if (steps > 0 && scrollBar2_->value() == 0 && s.CurrentPage && s.CurrentPageNo > 1) {
        // Above the page's top: on to the bottom of the previous page.
        runCommand([this] { viewer_.previousPage(); });
        scrollBar2_->setValue(scrollEndPosition());
        wheelAngle_ = 0;
        return;
    }
    scrollBar2_->setValue(std::min(scrollBar2_->value() - steps, std::max(end, scrollBar2_->value())));
}

void TFSVELMORA::alignControls()
{
    // Top first, then bottom, then right in what is left: the panels' alignment order.
    const int w = desk_->width(), h = desk_->height();
    int top = 0;
    if (speedPanel_->isVisibleTo(this)) {
        speedPanel_->setGeometry(0, 0, w, 45);
        top = 45;
    }
    statusBar_->setGeometry(0, std::max(top, h - 22), w, 22);
    const int bottom = std::max(top, h - 22);
    pScrollV_->setGeometry(std::max(0, w - 23), top, 23, bottom - top);
    reloadBar_->setGeometry(0, top, std::max(0, w - 23), reloadBar_->sizeHint().height());
}

void TFSVELMORA::FormResize()
{
    const QSize outer = frameGeometry().size();
    const ResizeGeometry g = Viewer::resizeGeometry(outer.width(), outer.height(), scrollBar1_->x(), pScrollV_->width(),
                                                    pScrollV_->y(), scrollBar1_->height());
    scrollBar1_->resize(std::max(0, g.scrollBar1Width), scrollBar1_->height());
    // The scroll panel is aligned to the right: the alignment puts its height back at once after
    // the new height is set, so the vertical bar follows the aligned panel.
    scrollBar2_->resize(scrollBar2_->width(), std::max(0, pScrollV_->height() - 10));
}

void TFSVELMORA::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    alignControls();
    FormResize();
}

void TFSVELMORA::runCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& e) {
        dialogs_.errorReport(e.what());
        refresh();
    }
}

void TFSVELMORA::refresh()
{
    setWindowTitle(titleText());
    if (viewer_.state.DocFileName != shownFile_ || viewer_.documentGeneration() != shownGeneration_) {
        shownFile_ = viewer_.state.DocFileName;
        shownGeneration_ = viewer_.documentGeneration();
        documentChanged();
    }
    if (!pageField_->hasFocus())
        pageField_->setText(viewer_.state.PageCount > 0 ? QString::number(viewer_.state.CurrentPageNo) : QString());
    pageCountLabel_->setText(viewer_.state.PageCount > 0 ? QStringLiteral("/ %1").arg(viewer_.state.PageCount)
                                                         : QString());
    chapterList_->setVisible(viewer_.chapterListVisible);
    {
        const QSignalBlocker block(chapterList_);
        chapterList_->setLines(viewer_.ChapterList, viewer_.chapterListIndex);
    }

    {
        const QSignalBlocker block(cbZoom_);
        cbZoom_->setEditText(QString::fromStdString(viewer_.zoomText));
    }
    {
        const QSignalBlocker block(tabs_);
        bool same = tabs_->count() == int(viewer_.pageTabs.size());
        for (int i = 0; same && i < tabs_->count(); ++i)
            same = tabs_->tabText(i).toStdString() == viewer_.pageTabs[size_t(i)];
        if (!same) {
            while (tabs_->count() > 0)
                tabs_->removeTab(tabs_->count() - 1);
            for (const std::string& text : viewer_.pageTabs)
                tabs_->addTab(QString::fromStdString(text));
        }
        if (viewer_.selectedTab >= 0 && viewer_.selectedTab < tabs_->count())
            tabs_->setCurrentIndex(viewer_.selectedTab);
    }
    // A new document can put a page of the same size at the same address: paint it afresh.
    desk_->dropCache();
    desk_->update();
    showPlayers();
}

void TFSVELMORA::showPlayers()
{
    // Made afresh on every change: a new document may hold a player where an old one stood.
    for (const QPointer<PlayerWidget>& w : players_) {
        if (w) {
            w->hide();
            w->deleteLater();
        }
    }
    players_.clear();
    TSurfaceT* page = viewer_.state.CurrentPage;
    if (!page || !page->visible)
        return;
    for (const auto& obj : page->objects()) {
        auto* player = dynamic_cast<TDPlayer*>(obj.get());
        if (!player)
            continue;
        auto* w = new PlayerWidget(*player, desk_);
        w->setGeometry(page->left + player->left, page->top + player->top, player->width, player->height);
        w->stackUnder(speedPanel_);
        w->show();
        players_.emplace_back(w);
    }
}

void TFSVELMORA::OpenBtnClick()
{
    runCommand([this] { viewer_.openDocument(); });
}

void TFSVELMORA::Impression1Click()
{
    runCommand([this] {
        std::unique_ptr<PrinterDevice> printer = printerFactory_(viewer_.state.DocFileName);
        viewer_.printDocument(*printer, dialogs_);
    });
}

void TFSVELMORA::PrintSetup1Click()
{
    dialogs_.printerSetup();
}

void TFSVELMORA::SpeedButton1Click()
{
    // Closing the last window ends the application; nothing is saved.
    close();
}

void TFSVELMORA::SpeedPanel1Click()
{
    speedPanel_->setVisible(!speedPanel_->isVisibleTo(this));
    alignControls();
}

void TFSVELMORA::About1Click()
{
    dialogs_.showAbout();
}

void TFSVELMORA::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TFSVELMORA::dropEvent(QDropEvent* event)
{
    QString path;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            path = url.toLocalFile();
            break;
        }
    }
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The drop is released before the document loads, so an error report does not hold the
    // file manager's drag.
    QTimer::singleShot(0, this, [this, path] { openDropped(path); });
}

void TFSVELMORA::openDropped(const QString& path)
{
    viewer_.state.DocFileName = path.toStdString();
    runCommand([this] { viewer_.LoadDocument(); });
}

}  // namespace vr

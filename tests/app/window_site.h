// The main window on a viewer whose dialogs answer for the user, with a folder for its documents.
#pragma once
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>

#include "app/main_window.h"
#include "app/page_desk.h"
#include "fake_dialogs.h"
#include "support/doc_writer.h"

namespace vrtest {

struct WindowSite {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    vr::Viewer viewer{&dialogs};
    std::optional<vr::PrinterPage> printer;  // what the window finds of the default printer
    std::unique_ptr<vr::TFSVELMORA> window;

    explicit WindowSite(std::optional<vr::PrinterPage> p = std::nullopt) : printer(p)
    {
        window = std::make_unique<vr::TFSVELMORA>(viewer, dialogs, [this] { return printer; });
        window->resize(1000, 700);
    }
    bool showActive()
    {
        window->show();
        window->activateWindow();
        window->desk()->setFocus();
        return QTest::qWaitForWindowActive(window.get());
    }
    std::string path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }
    // A page-layout document of `pages` pages; with `lines`, page i holds a line (10, 10 i)-(110, 10 i).
    QString document(const QString& name, int pages, bool lines = false)
    {
        VpgWriter w;
        for (int i = 1; i <= pages; ++i) {
            w.page("P" + std::to_string(i));
            if (lines)
                w.line(LineRec(10, 10 * i, 110, 10 * i, 0, 1));
        }
        const QString file = dir.path() + "/" + name;
        w.save(file.toStdString());
        return file;
    }
    void load(const QString& file)
    {
        viewer.state.DocFileName = file.toStdString();
        window->runCommand([this] { viewer.LoadDocument(); });
    }
    template <class T> T* child(const char* name) const { return window->findChild<T*>(QString::fromLatin1(name)); }
};

}  // namespace vrtest

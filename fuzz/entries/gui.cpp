#include <QGuiApplication>

#include "entries/entries.h"

namespace vr::fuzz {

void initGui(int* argc, char*** argv)
{
    if (QGuiApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
}

}  // namespace vr::fuzz

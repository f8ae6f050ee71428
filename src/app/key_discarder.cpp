#include "app/key_discarder.h"

#include <QEvent>

namespace vr {

bool KeyDiscarder::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
        return true;
    case QEvent::ShortcutOverride:
        // Swallowed but left unaccepted: the control never claims a key (Ctrl+X as "cut"), so
        // the window's menu shortcuts still work while it has the focus.
        event->ignore();
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

}  // namespace vr

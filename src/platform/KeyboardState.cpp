#include "platform/KeyboardState.h"

#include <QEvent>
#include <QKeyEvent>

namespace fw {

void KeyboardState::setDown(int key, bool down)
{
    if (down)
        m_down.insert(key);
    else
        m_down.remove(key);
}

bool KeyboardState::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat())
            setDown(key->key(), event->type() == QEvent::KeyPress);
        break;
    }
    case QEvent::ApplicationDeactivate:
        // A key released while another window had the focus would otherwise stay down.
        releaseAll();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace fw

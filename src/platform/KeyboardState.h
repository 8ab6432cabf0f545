#pragma once

#include <QObject>
#include <QSet>

namespace fw {

// Answers "is this key held down" for the 100 ms arrow-key timers. Screens report key presses
// and releases (auto-repeat ignored); installed as an event filter it records them itself.
// Tests set keys directly.
class KeyboardState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool isDown(int key) const { return m_down.contains(key); }
    void setDown(int key, bool down);
    void releaseAll() { m_down.clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QSet<int> m_down;
};

} // namespace fw

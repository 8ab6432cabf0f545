#pragma once

// Controls set by the program run their handler exactly once, also when the value does not
// change, as the operator's click or typing would; Qt's own change signals fire only on a change
// and are not used for handlers.

#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalBlocker>

namespace fw {

template <typename Handler>
void setByProgram(QAbstractButton& button, bool checked, Handler&& handler)
{
    {
        const QSignalBlocker block(button);
        button.setChecked(checked);
    }
    handler();
}

template <typename Handler>
void setByProgram(QLineEdit& box, const QString& text, Handler&& handler)
{
    {
        const QSignalBlocker block(box);
        box.setText(text);
    }
    handler();
}

} // namespace fw

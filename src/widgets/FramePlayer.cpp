#include "widgets/FramePlayer.h"

#include <QKeyEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace fw {

int stationKeyCode(const QKeyEvent& event)
{
    const int key = event.key();
    if ((event.modifiers() & Qt::KeypadModifier) && key >= Qt::Key_0 && key <= Qt::Key_9)
        return 96 + (key - Qt::Key_0);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return 48 + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 65 + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 112 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Backspace:
        return 8;
    default:
        return 0;
    }
}

// The picture itself, in the player or filling the screen.
class FramePlayer::Picture : public QWidget {
public:
    Picture(FramePlayer* player, QWidget* parent) : QWidget(parent), m_player(player)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(64, 48);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        const QImage& image = m_player->picture();
        if (image.isNull())
            return;
        QSize size = image.size();
        const bool fit = m_player->displaySize() != FramePlayer::kDefaultSize;
        if (fit || size.width() > width() || size.height() > height())
            size.scale(this->size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2),
                           size);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, image);
    }
    void mousePressEvent(QMouseEvent*) override { m_player->handleClick(); }
    void keyPressEvent(QKeyEvent* event) override { m_player->handleKey(event); }

private:
    FramePlayer* m_player;
};

FramePlayer::FramePlayer(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    m_engine = new FramePlayerEngine(this);
    m_picture = new Picture(this, this);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setFocusPolicy(Qt::NoFocus);
    m_slider->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_picture, 1);
    layout->addWidget(m_slider);

    connect(m_engine, &FramePlayerEngine::frameShown, this, &FramePlayer::showFrame);
    connect(m_engine, &FramePlayerEngine::positionChanged, this, [this](int frame) {
        const QSignalBlocker block(m_slider);
        m_slider->setMaximum(std::max(0, m_engine->properties().frameCount - 1));
        m_slider->setValue(frame);
    });
    connect(m_engine, &FramePlayerEngine::playFinished, this, &FramePlayer::playFinished);
    connect(m_engine, &FramePlayerEngine::failed, this, &FramePlayer::decodeFailed);
    connect(m_slider, &QSlider::valueChanged, this, [this](int frame) {
        m_engine->stop();
        m_engine->setPosition(frame);
    });
}

FramePlayer::~FramePlayer()
{
    delete m_fullScreen;
}

std::optional<MediaFailure> FramePlayer::setFileName(const QString& name)
{
    std::optional<MediaFailure> failure;
    if (name.isEmpty())
        m_engine->close();
    else
        failure = m_engine->open(name);
    if (failure)
        m_engine->close();
    m_slider->setEnabled(m_engine->isOpen());
    {
        const QSignalBlocker block(m_slider);
        m_slider->setRange(0, std::max(0, m_engine->properties().frameCount - 1));
        m_slider->setValue(0);
    }
    showFrame();
    return failure;
}

void FramePlayer::setSelectionStart(int frame)
{
    m_engine->setSelection(frame, std::max(frame, m_engine->selectionEnd()));
}

void FramePlayer::setSelectionEnd(int frame)
{
    m_engine->setSelection(std::min(frame, m_engine->selectionStart()), frame);
}

void FramePlayer::play()
{
    m_engine->play();
}

void FramePlayer::setDisplaySize(int size)
{
    m_displaySize = size;
    if (size == kFullScreen) {
        if (!m_fullScreen) {
            m_fullScreen = new Picture(this, nullptr);
            m_fullScreen->setAttribute(Qt::WA_DeleteOnClose);
            m_fullScreen->setFocusPolicy(Qt::StrongFocus);
            m_fullScreen->setWindowTitle(window()->windowTitle());
        }
        m_fullScreen->showFullScreen();
        m_fullScreen->activateWindow();
        m_fullScreen->setFocus();
    } else if (m_fullScreen) {
        m_fullScreen->close();
    }
    m_picture->update();
}

void FramePlayer::setSize_twips(int width, int height)
{
    const int w = std::max(1, width / 15);
    const int h = std::max(1, height / 15);
    m_picture->setFixedSize(w, h);
}

void FramePlayer::giveFocus()
{
    if (m_fullScreen && m_fullScreen->isVisible())
        m_fullScreen->setFocus();
    else
        setFocus();
}

void FramePlayer::handleKey(QKeyEvent* event)
{
    const int code = stationKeyCode(*event);
    if (code == 27 && m_displaySize == kFullScreen)
        setDisplaySize(kDefaultSize);
    Q_EMIT keyDown(code);
}

void FramePlayer::handleClick()
{
    giveFocus();
    // "Click Mouse to repeat Play": a click on the full-screen picture plays the stretch again;
    // on the screen's own player a click only gives it the keys.
    if (m_clickToPlay && m_displaySize == kFullScreen && m_engine->isOpen())
        play();
}

void FramePlayer::keyPressEvent(QKeyEvent* event)
{
    handleKey(event);
}

void FramePlayer::showFrame()
{
    m_picture->update();
    if (m_fullScreen)
        m_fullScreen->update();
}

} // namespace fw

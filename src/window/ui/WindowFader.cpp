#include "window/ui/WindowFader.h"

#include <QGuiApplication>
#include <QWidget>

WindowFader::WindowFader(QWidget *window, std::function<int()> opacitySetting)
    : QObject(window)
    , m_window(window)
    , m_opacitySetting(std::move(opacitySetting))
{
    m_timer.setInterval(51);
    connect(&m_timer, &QTimer::timeout, this, &WindowFader::tick);
}

void WindowFader::setTranslucency(QWidget *window, int opacity)
{
    window->setWindowOpacity(qBound(0, opacity, 255) / 255.0);
    // The X11 window system holds a changed opacity back until something
    // else is sent; a fade step must reach the screen now.
    QGuiApplication::sync();
}

void WindowFader::setInterval(int ms)
{
    m_timer.setInterval(qMax(1, ms));
}

void WindowFader::fadeIn()
{
    setTranslucency(m_window, 0);
    m_window->show();
    m_fade.startIn();
    m_timer.start();
}

void WindowFader::fadeOut()
{
    m_fade.startOut(m_opacitySetting());
    m_timer.start();
}

void WindowFader::stop()
{
    if (!m_timer.isActive())
        return;
    const bool out = m_fade.state() == Fade::State::Out;
    m_timer.stop();
    m_fade.stop();
    if (out) {
        m_window->hide();
        Q_EMIT fadedOut();
    }
}

void WindowFader::tick()
{
    const bool out = m_fade.state() == Fade::State::Out;
    const Fade::Step step = m_fade.tick(m_opacitySetting());
    setTranslucency(m_window, step.opacity);
    if (!step.finished)
        return;
    m_timer.stop();
    if (out) {
        m_window->hide();
        Q_EMIT fadedOut();
    }
}

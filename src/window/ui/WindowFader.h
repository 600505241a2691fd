#pragma once

#include "window/Fade.h"

#include <QObject>
#include <QTimer>
#include <functional>

class QWidget;

// Translucency and fades of one top-level window. The opacity is the
// window system's (a compositing desktop shows it; elsewhere the window
// stays opaque and fades are only a delay).
class WindowFader : public QObject
{
    Q_OBJECT
public:
    // `opacitySetting` gives the opacity 0..255 that fades reach and that a
    // fade-out starts from.
    WindowFader(QWidget *window, std::function<int()> opacitySetting);

    // `SetTranslucency`.
    static void setTranslucency(QWidget *window, int opacity);

    // One fade step every `ms` milliseconds.
    void setInterval(int ms);
    int interval() const { return m_timer.interval(); }

    // Shows the window from fully transparent and steps up to the setting.
    void fadeIn();
    // Steps down from the setting; at the end the window is hidden and
    // fadedOut() emitted.
    void fadeOut();
    bool isFading() const { return m_timer.isActive(); }
    bool isFadingOut() const { return isFading() && m_fade.state() == Fade::State::Out; }
    // Ends a running fade at once: a fade-in leaves the window at the
    // opacity it reached; a fade-out ends as it would have (the window
    // hidden, fadedOut() emitted), since the window was asked to go.
    // Nothing happens when no fade runs.
    void stop();

Q_SIGNALS:
    void fadedOut();

private:
    void tick();

    QWidget *m_window;
    std::function<int()> m_opacitySetting;
    Fade m_fade;
    QTimer m_timer;
};

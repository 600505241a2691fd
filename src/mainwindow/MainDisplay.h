#pragma once

#include <QString>

#include <array>
#include <functional>
#include <random>

// The state of the main window's display: the track-information line and its
// scrolling, the time text, and the level meter animation. Pure logic; the
// window draws it.
class MainDisplay
{
public:
    static inline const QString IdleCaption = QStringLiteral("VELMORA  β -  ORBELINE");

    // Measures a text in the track-information font (pixels).
    void setTextWidth(std::function<int(const QString &)> measure) { m_measure = std::move(measure); }
    void setStripWidth(int width) { m_stripWidth = width; }
    int stripWidth() const { return m_stripWidth; }

    // --- track information ----------------------------------------------------
    QString trackInfo() const { return m_info; }
    int trackInfoLeft() const { return m_infoLeft; }
    int trackInfoWidth() const { return m_infoWidth; }
    // Centres the line in the strip by the width it has now.
    void centreTrackInfo();
    // Centres the line (by its old width), then shows "title - artist ".
    void ShowTrackInfo(const QString &title, const QString &artist);
    // Centres the line (by its old width), then shows the idle caption and
    // "00:00", and hides the meter.
    void showIdle();
    // Shows `text` in the line without moving it.
    void setTrackInfo(const QString &text);
    // The scroll timer's tick: 2 pixels to the left; once the text has left
    // the strip completely it comes back at `restartLeft` (the time display's
    // left edge).
    void scrollTick(int restartLeft);

    // --- time -------------------------------------------------------------------
    bool remainTimeMode() const { return m_remain; }
    void toggleRemainTimeMode() { m_remain = !m_remain; }
    QString timeText() const { return m_time; }
    // `DispTime`: played (or remaining) time as "mm:ss", minutes at least two digits.
    void DispTime(int timeMs, int lengthMs);
    static QString formatTime(int ms);

    // --- level meter ------------------------------------------------------------------
    // `MiniLevelMeter` with three random bits (one per column).
    void MiniLevelMeter();
    // One step of the animation with the given bits (tests).
    void meterStep(const std::array<int, 3> &bits);
    // How many elements (0..3, from the bottom) each column shows.
    std::array<int, 3> meterShown() const { return m_shown; }
    std::array<int, 3> meterSteps() const { return m_steps; }
    void hideMeter() { m_shown = {0, 0, 0}; }
    void seedRandom(unsigned seed) { m_random.seed(seed); }

private:
    int measure(const QString &text) const { return m_measure ? m_measure(text) : int(text.size()) * 6; }

    std::function<int(const QString &)> m_measure;
    QString m_info = IdleCaption;
    int m_infoLeft = 0;
    int m_infoWidth = 0;
    int m_stripWidth = 0;
    bool m_remain = false;
    QString m_time = QStringLiteral("00:00");
    std::array<int, 3> m_steps{};
    std::array<int, 3> m_shown{};
    std::mt19937 m_random{std::random_device{}()};
};

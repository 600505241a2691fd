#pragma once

// One window's fade: its opacity counter moves by 3 per step, towards the
// opacity setting (fading in) or down to nothing (fading out). A window
// starting a new fade simply overwrites the running one.
class Fade
{
public:
    static constexpr int StepSize = 3;

    enum class State { Idle, In, Out };

    struct Step {
        int opacity = 0;       // what the window shows now, 0..255
        bool finished = false; // in: the timer stops; out: the window goes (or the program ends)
    };

    // Starts from fully transparent.
    void startIn()
    {
        m_counter = 0;
        m_state = State::In;
    }
    // Starts from the opacity setting.
    void startOut(int opacitySetting)
    {
        m_counter = opacitySetting;
        m_state = State::Out;
    }

    // One step at the fade-speed interval. The window takes `opacity`; a
    // fade-in stops once the counter reaches the setting (the window then
    // stands within 3 of it), a fade-out once the counter is 3 or less.
    Step tick(int opacitySetting)
    {
        Step s;
        s.opacity = m_counter;
        if (m_state == State::Out) {
            if (m_counter - StepSize >= 0)
                m_counter -= StepSize;
            s.finished = m_counter <= StepSize;
        } else if (m_state == State::In) {
            if (m_counter != 255)
                m_counter += StepSize;
            s.finished = m_counter >= opacitySetting;
        }
        if (s.finished)
            m_state = State::Idle;
        return s;
    }

    // Ends the running fade where it is.
    void stop() { m_state = State::Idle; }

    State state() const { return m_state; }

private:
    State m_state = State::Idle;
    int m_counter = 0;
};

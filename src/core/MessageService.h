#pragma once

#include <QString>
#include <functional>

// The platform's message box. Implemented with QMessageBox in the program and
// by an answering double in tests.
class MessageBoxService
{
public:
    virtual ~MessageBoxService() = default;

    // Shows a modal box with `text` and `title`; `style` is the classic style
    // number (buttons + icon: 0 OK, 4 Yes/No, 16 OK with a stop icon,
    // 36 Yes/No with a question icon, 48 OK with a warning icon; other
    // values: their button bits 0-3 and icon bits 4-6). Returns the pressed
    // button: 1 OK, 2 Cancel, 6 Yes, 7 No. UI thread only.
    virtual int show(const QString &text, int style, const QString &title) = 0;
};

// Puts the player's top-level windows into or out of the always-on-top layer.
class TopmostWindows
{
public:
    virtual ~TopmostWindows() = default;

    // Main window, then playlist window, then settings dialog: each keeps its
    // position and size and becomes topmost (true) or not (false).
    virtual void setTopmost(bool topmost) = 0;
};

// The one message box of the program and the always-on-top switch.
class MessageService
{
public:
    enum Style { OkOnly = 0, YesNo = 4, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
    enum Button { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

    MessageService(MessageBoxService &box, TopmostWindows &windows, QString title);

    // Tells whether the always-on-top option is checked (read at each call).
    void setForemostChecked(std::function<bool()> checked) { m_foremostChecked = std::move(checked); }

    // Shows `text` with `style`. While the box is open the windows leave the
    // always-on-top layer, so the box is never hidden behind them. Returns
    // the pressed button's code when `wantResult` is true, otherwise 0.
    int ShowMessage(bool wantResult, const QString &text, int style);

    // Puts the windows into (true) or out of the always-on-top layer. While
    // held off, they are not put into it.
    void SetForemost(bool topmost);

    // While another window must stay in sight (the style editor), the
    // windows stay out of the always-on-top layer: holding takes them out
    // when the option is checked, message boxes do not put them back, and
    // releasing puts them back when the option is checked then.
    void holdOffTop(bool hold);

    QString title() const { return m_title; }

private:
    MessageBoxService &m_box;
    TopmostWindows &m_windows;
    QString m_title;
    std::function<bool()> m_foremostChecked;
    bool m_heldOff = false;
};

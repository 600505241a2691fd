#include "core/MessageService.h"

MessageService::MessageService(MessageBoxService &box, TopmostWindows &windows, QString title)
    : m_box(box)
    , m_windows(windows)
    , m_title(std::move(title))
{
}

int MessageService::ShowMessage(bool wantResult, const QString &text, int style)
{
    const bool foremost = m_foremostChecked && m_foremostChecked();
    if (foremost)
        SetForemost(false);
    const int button = m_box.show(text, style, m_title);
    if (foremost)
        SetForemost(true);
    return wantResult ? button : 0;
}

void MessageService::SetForemost(bool topmost)
{
    if (topmost && m_heldOff)
        return;
    m_windows.setTopmost(topmost);
}

void MessageService::holdOffTop(bool hold)
{
    if (hold == m_heldOff)
        return;
    m_heldOff = hold;
    if (m_foremostChecked && m_foremostChecked())
        m_windows.setTopmost(!hold);
}

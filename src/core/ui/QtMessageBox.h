#pragma once

#include "core/MessageService.h"

// The message box of the desktop, with the classic style numbers mapped to
// Qt's buttons and icons.
class QtMessageBox : public MessageBoxService
{
public:
    int show(const QString &text, int style, const QString &title) override;
};

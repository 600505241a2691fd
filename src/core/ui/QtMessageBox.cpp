#include "core/ui/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

int QtMessageBox::show(const QString &text, int style, const QString &title)
{
    QMessageBox box;
    box.setWindowTitle(title);
    box.setText(text);
    // Above the player's windows, even when they are topmost.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);

    switch (style & 0x70) {
    case 16: box.setIcon(QMessageBox::Critical); break;
    case 32: box.setIcon(QMessageBox::Question); break;
    case 48: box.setIcon(QMessageBox::Warning); break;
    case 64: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }

    struct Choice { QMessageBox::StandardButton button; int code; };
    QList<Choice> choices;
    switch (style & 0x0F) {
    case 1: choices = {{QMessageBox::Ok, 1}, {QMessageBox::Cancel, 2}}; break;
    case 2: choices = {{QMessageBox::Abort, 3}, {QMessageBox::Retry, 4}, {QMessageBox::Ignore, 5}}; break;
    case 3: choices = {{QMessageBox::Yes, 6}, {QMessageBox::No, 7}, {QMessageBox::Cancel, 2}}; break;
    case 4: choices = {{QMessageBox::Yes, 6}, {QMessageBox::No, 7}}; break;
    case 5: choices = {{QMessageBox::Retry, 4}, {QMessageBox::Cancel, 2}}; break;
    default: choices = {{QMessageBox::Ok, 1}}; break;
    }
    QMessageBox::StandardButtons buttons;
    for (const Choice &c : choices)
        buttons |= c.button;
    box.setStandardButtons(buttons);
    box.setDefaultButton(choices.first().button);

    box.exec();
    const auto pressed = box.standardButton(box.clickedButton());
    for (const Choice &c : choices)
        if (c.button == pressed)
            return c.code;
    // Closed with Escape or the title bar: Cancel when offered, else the last button.
    for (const Choice &c : choices)
        if (c.code == 2)
            return 2;
    return choices.last().code;
}

#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QFileDialog;
class QWidget;

// Where the settings dialog asks the user for a font, a program or a colour.
// system() opens the system's dialogs; tests answer in their place.
class SettingsChooser
{
public:
    virtual ~SettingsChooser() = default;

    // A font, starting from `initial`; nothing when cancelled.
    virtual std::optional<QFont> font(const QFont &initial, QWidget *parent) = 0;
    // The tag editor's program file; empty when cancelled.
    virtual QString program(QWidget *parent) = 0;
    // A colour, starting from `initial`; invalid when cancelled.
    virtual QColor color(const QColor &initial, QWidget *parent) = 0;

    // The system's font, file and colour dialogs.
    static SettingsChooser &system();

    // The dialog program() shows: an open-file dialog that lists folders and
    // the files the user may run (execute permission), whatever their names.
    // Owned by the caller.
    static QFileDialog *programDialog(QWidget *parent);
};

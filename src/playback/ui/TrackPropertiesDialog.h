#pragma once

#include "playback/TrackProperties.h"

#include <QDialog>
#include <functional>

// The properties of one track, as TrackPropertiesReader gathered them: a
// section per group, every value selectable and copyable, a button that
// copies them all, and one that shows the file in the desktop's own view
// (only when `showOnDesktop` is given). Sized to its content, never beyond
// the screen's work area (it scrolls then). Deletes itself when closed.
class TrackPropertiesDialog : public QDialog
{
    Q_OBJECT
public:
    static inline const QString ShowOnDesktopText = QStringLiteral("ファイルマネージャで表示(&F)");
    static inline const QString CopyAllText = QStringLiteral("すべてコピー(&C)");

    TrackPropertiesDialog(const TrackPropertySheet &sheet, std::function<void()> showOnDesktop,
                          QWidget *parent = nullptr);

    // Shows the window centred over its parent and wholly inside the work
    // area of the parent's screen, its title bar included.
    void showOnScreen();

    // The sheet as plain text: one "label: value" line each, sections
    // headed by their titles (what "すべてコピー" puts on the clipboard).
    static QString PlainText(const TrackPropertySheet &sheet);
protected:
    void showEvent(QShowEvent *event) override;

private:
    // Moves the window, frame included, inside the work area.
    void keepInWorkArea();
};

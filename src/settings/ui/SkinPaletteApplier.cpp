#include "settings/ui/SkinPaletteApplier.h"

#include "settings/SkinPalette.h"

#include <QApplication>
#include <QStyle>
#include <QToolTip>

void applySkinPalette(const SettingsStore &store)
{
    // Built on the style's own palette so that roles the skin leaves alone
    // keep sensible values.
    QPalette palette = QApplication::style() ? QApplication::style()->standardPalette() : QPalette();
    const QList<SkinColor> colors = skinPaletteColors(store);
    // Every group first, then what differs in one group.
    for (const SkinColor &c : colors)
        if (c.group == QPalette::All)
            palette.setColor(c.role, c.color);
    for (const SkinColor &c : colors)
        if (c.group != QPalette::All)
            palette.setColor(c.group, c.role, c.color);
    QApplication::setPalette(palette);
    // Every window, shown or not, takes the colours now: Qt tells only the
    // windows it has on screen, and not at once, so a menu or dialog kept
    // for later would open in the old colours.
    QEvent change(QEvent::ApplicationPaletteChange);
    for (QWidget *w : QApplication::topLevelWidgets())
        QCoreApplication::sendEvent(w, &change);
    // Tooltips keep a palette of their own, given to a tip when it is made;
    // a tip still on screen (or about to be shown again) takes it now.
    QToolTip::setPalette(palette);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel"))
            w->setPalette(palette);
}

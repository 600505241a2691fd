#include "settings/SkinPalette.h"

#include "settings/SettingsStore.h"

namespace {

// `a` moved the fraction `t` of the way towards `b`.
QColor mix(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

constexpr ColorSlot Slots[] = {BoxBackSlot, BoxForeSlot, SelectBackSlot, SelectForeSlot, ActiveItemSlot};

} // namespace

QList<SkinColor> skinPaletteColors(const SettingsStore &store)
{
    using P = QPalette;
    const QColor back = store.color(BoxBackSlot);
    const QColor text = store.color(BoxForeSlot);
    const QColor select = store.color(SelectBackSlot);
    const QColor selectText = store.color(SelectForeSlot);
    const QColor link = store.color(ActiveItemSlot);
    // Faces a little towards the text, so that buttons, headers and scroll
    // bar handles stand out from the window however dark or light it is.
    const QColor button = mix(back, text, 0.12);
    const QColor muted = mix(back, text, 0.45);
    return {
        {P::All, P::Window, back},
        {P::All, P::WindowText, text},
        {P::All, P::Base, mix(back, text, 0.04)},
        {P::All, P::AlternateBase, mix(back, text, 0.09)},
        {P::All, P::Text, text},
        {P::All, P::PlaceholderText, muted},
        {P::All, P::Button, button},
        {P::All, P::ButtonText, text},
        {P::All, P::BrightText, selectText},
        {P::All, P::Light, mix(button, text, 0.35)},
        {P::All, P::Midlight, mix(button, text, 0.18)},
        {P::All, P::Mid, mix(back, text, 0.25)},
        {P::All, P::Dark, mix(back, text, 0.06)},
        {P::All, P::Shadow, mix(back, QColor(Qt::black), 0.6)},
        {P::All, P::Highlight, select},
        {P::All, P::HighlightedText, selectText},
        {P::All, P::Link, link},
        {P::All, P::LinkVisited, link},
        {P::All, P::ToolTipBase, back},
        {P::All, P::ToolTipText, text},
        {P::Disabled, P::WindowText, muted},
        {P::Disabled, P::Text, muted},
        {P::Disabled, P::ButtonText, muted},
        {P::Disabled, P::Highlight, mix(back, select, 0.5)},
        {P::Disabled, P::HighlightedText, muted},
    };
}

bool affectsSkinPalette(SettingId id)
{
    for (ColorSlot slot : Slots)
        if (id == colorSlotSetting(slot))
            return true;
    return false;
}

#include "settings/SettingsStore.h"
#include "settings/SkinPalette.h"

#include <gtest/gtest.h>

namespace {

QColor colorOf(const QList<SkinColor> &colors, QPalette::ColorGroup group, QPalette::ColorRole role)
{
    // What a group ends up with: its own entry, else the one for every group.
    QColor found;
    for (const SkinColor &c : colors)
        if (c.role == role && (c.group == group || (c.group == QPalette::All && !found.isValid())))
            found = c.color;
    return found;
}

// Whether `c` lies strictly between `a` and `b` in brightness.
bool between(const QColor &c, const QColor &a, const QColor &b)
{
    const int lo = std::min(a.lightness(), b.lightness());
    const int hi = std::max(a.lightness(), b.lightness());
    return c.lightness() > lo && c.lightness() < hi;
}

TEST(SkinPalette, StandardWindowsTakeTheProfilesBoxAndSelectionColours)
{
    struct Case {
        const char *name;
        QColor boxBack, boxFore, selectBack, selectFore, activeItem;
    } cases[] = {
        {"the first start's dark profile", QColor(0, 0, 0), QColor(255, 255, 255), QColor(0, 64, 128),
         QColor(255, 128, 0), QColor(255, 255, 255)},
        {"a light profile", QColor(240, 236, 220), QColor(30, 30, 60), QColor(200, 40, 40), QColor(255, 255, 255),
         QColor(0, 90, 200)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SettingsStore store;
        store.setColorRef(BoxBackSlot, SettingsStore::refFromColor(c.boxBack));
        store.setColorRef(BoxForeSlot, SettingsStore::refFromColor(c.boxFore));
        store.setColorRef(SelectBackSlot, SettingsStore::refFromColor(c.selectBack));
        store.setColorRef(SelectForeSlot, SettingsStore::refFromColor(c.selectFore));
        store.setColorRef(ActiveItemSlot, SettingsStore::refFromColor(c.activeItem));
        const QList<SkinColor> colors = skinPaletteColors(store);
        const auto active = [&](QPalette::ColorRole role) { return colorOf(colors, QPalette::Active, role); };
        const auto disabled = [&](QPalette::ColorRole role) { return colorOf(colors, QPalette::Disabled, role); };

        EXPECT_EQ(active(QPalette::Window), c.boxBack);
        EXPECT_EQ(active(QPalette::ToolTipBase), c.boxBack);
        for (QPalette::ColorRole text : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText})
            EXPECT_EQ(active(text), c.boxFore) << "text role " << int(text);
        EXPECT_EQ(active(QPalette::Highlight), c.selectBack);
        EXPECT_EQ(active(QPalette::HighlightedText), c.selectFore);
        EXPECT_EQ(active(QPalette::Link), c.activeItem);
        // Buttons, list bases and scroll-bar faces stay near the window but
        // readable: between the face and the text, nearer the face.
        for (QPalette::ColorRole face : {QPalette::Button, QPalette::Base, QPalette::AlternateBase, QPalette::Mid}) {
            const QColor f = active(face);
            EXPECT_TRUE(between(f, c.boxBack, c.boxFore)) << "face role " << int(face) << " " << f.name().toStdString();
            EXPECT_LT(std::abs(f.lightness() - c.boxBack.lightness()), std::abs(f.lightness() - c.boxFore.lightness()))
                << "face role " << int(face);
        }
        // Disabled text is dimmed towards the face, not hidden.
        const QColor dim = disabled(QPalette::WindowText);
        EXPECT_TRUE(between(dim, c.boxBack, c.boxFore)) << dim.name().toStdString();
        EXPECT_EQ(disabled(QPalette::Window), c.boxBack);
    }
}

TEST(SkinPalette, OnlyTheColoursItIsMadeOfChangeIt)
{
    struct Case {
        SettingId id;
        bool changes;
    } cases[] = {
        {colorSlotSetting(BoxBackSlot), true},      {colorSlotSetting(BoxForeSlot), true},
        {colorSlotSetting(SelectBackSlot), true},   {colorSlotSetting(SelectForeSlot), true},
        {colorSlotSetting(ActiveItemSlot), true},   {colorSlotSetting(LevelTopSlot), false},
        {colorSlotSetting(PlaylistBackSlot), false}, {SettingId::GridDisplay, false},
    };
    for (const Case &c : cases) {
        SettingsStore store;
        const QList<SkinColor> before = skinPaletteColors(store);
        store.setValue(c.id, store.value(c.id) ^ 0x00402010);
        EXPECT_EQ(skinPaletteColors(store) != before, c.changes) << settingKey(c.id).key;
        EXPECT_EQ(affectsSkinPalette(c.id), c.changes) << settingKey(c.id).key;
    }
}

} // namespace

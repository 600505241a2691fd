#pragma once

#include <QString>

#include <functional>
#include <vector>

// One entry of a window's popup menu. Every menu of the program is a table
// of these: the caption the user reads, the stable object name tests and
// scripts find the action by, the one operation it runs, and the rules that
// say whether it may run now and whether it carries a check mark. The rules
// are read again whenever the menu is about to show and after every command.
struct MenuEntry {
    QString caption;
    // Empty: a separator (the other fields are ignored).
    QString objectName;
    std::function<void()> command;
    // Unset: always enabled.
    std::function<bool()> enabled = {};
    // Set: the entry is checkable and shows this.
    std::function<bool()> checked = {};
    // Unset: always shown.
    std::function<bool()> visible = {};
    // Non-empty: the entry sits in the sub-menu of this caption (made at the
    // place of its first entry).
    QString subMenu = {};
};

using MenuTable = std::vector<MenuEntry>;

// A separator line.
inline MenuEntry menuSeparator()
{
    return MenuEntry{};
}

// `entries`, placed in the sub-menu `caption`.
inline MenuTable inSubMenu(const QString &caption, MenuTable entries)
{
    for (MenuEntry &e : entries)
        e.subMenu = caption;
    return entries;
}

// `table` followed by `more`.
inline MenuTable operator+(MenuTable table, const MenuTable &more)
{
    table.insert(table.end(), more.begin(), more.end());
    return table;
}

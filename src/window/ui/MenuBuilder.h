#pragma once

#include "window/MenuEntry.h"

class QMenu;

// Fills `menu` from `table`: one QAction per entry, named by its object
// name, in the table's order (sub-menus at the place of their first entry).
// Triggering an action runs its command; the enabled, checked and visible
// rules are applied at once, whenever the menu or one of its sub-menus is
// about to show, and after each command. `menu` keeps the table.
void fillMenu(QMenu *menu, MenuTable table);

// Applies the rules of the table `menu` was filled from again (for menus
// whose state is shown outside the menu, and before a test triggers).
void refreshMenu(QMenu *menu);

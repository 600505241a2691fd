#include "window/ui/MenuBuilder.h"

#include <QAction>
#include <QMenu>

#include <map>

namespace {

// The table of one root menu and the actions made from it.
class MenuRules : public QObject
{
public:
    MenuRules(QMenu *menu, MenuTable table)
        : QObject(menu)
        , m_table(std::move(table))
    {
    }

    void build(QMenu *menu)
    {
        std::map<QString, QMenu *> subMenus;
        for (const MenuEntry &e : m_table) {
            QMenu *target = menu;
            if (!e.subMenu.isEmpty()) {
                QMenu *&sub = subMenus[e.subMenu];
                if (!sub) {
                    sub = menu->addMenu(e.subMenu);
                    QObject::connect(sub, &QMenu::aboutToShow, this, [this] { apply(); });
                }
                target = sub;
            }
            if (e.objectName.isEmpty()) {
                m_actions.push_back(target->addSeparator());
                continue;
            }
            QAction *a = target->addAction(e.caption);
            a->setObjectName(e.objectName);
            a->setCheckable(bool(e.checked));
            const auto command = e.command;
            QObject::connect(a, &QAction::triggered, this, [this, command] {
                command();
                apply();
            });
            m_actions.push_back(a);
        }
        QObject::connect(menu, &QMenu::aboutToShow, this, [this] { apply(); });
        apply();
    }

    void apply()
    {
        for (std::size_t i = 0; i < m_table.size(); ++i) {
            const MenuEntry &e = m_table[i];
            if (e.objectName.isEmpty())
                continue;
            QAction *a = m_actions[i];
            if (e.enabled)
                a->setEnabled(e.enabled());
            if (e.checked)
                a->setChecked(e.checked());
            if (e.visible)
                a->setVisible(e.visible());
        }
    }

private:
    MenuTable m_table;
    std::vector<QAction *> m_actions;
};

} // namespace

void fillMenu(QMenu *menu, MenuTable table)
{
    auto *rules = new MenuRules(menu, std::move(table));
    rules->build(menu);
}

void refreshMenu(QMenu *menu)
{
    for (QObject *child : menu->children())
        if (auto *rules = dynamic_cast<MenuRules *>(child))
            rules->apply();
}

#include "settings/ui/SettingsChooser.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>

namespace {

class SystemChooser final : public SettingsChooser
{
public:
    std::optional<QFont> font(const QFont &initial, QWidget *parent) override
    {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, initial, parent);
        return ok ? std::optional<QFont>(chosen) : std::nullopt;
    }
    QString program(QWidget *parent) override
    {
        return QFileDialog::getOpenFileName(parent, QString(), QString(),
                                            QStringLiteral("実行ファイル (*.exe);;すべてのファイル (*)"));
    }
    QColor color(const QColor &initial, QWidget *parent) override
    {
        return QColorDialog::getColor(initial, parent, QStringLiteral("色の設定"));
    }
};

} // namespace

SettingsChooser &SettingsChooser::system()
{
    static SystemChooser chooser;
    return chooser;
}

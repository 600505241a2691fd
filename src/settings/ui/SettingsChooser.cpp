#include "settings/ui/SettingsChooser.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontDialog>
#include <QSortFilterProxyModel>

#include <memory>

namespace {

// Folders, and the files the user may run.
class ProgramFilter final : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (!files)
            return true;
        const QModelIndex index = files->index(row, 0, parent);
        return files->isDir(index) || files->fileInfo(index).isExecutable();
    }
};

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
        const std::unique_ptr<QFileDialog> dialog(programDialog(parent));
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
            return QString();
        return dialog->selectedFiles().constFirst();
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

QFileDialog *SettingsChooser::programDialog(QWidget *parent)
{
    auto *dialog = new QFileDialog(parent, QStringLiteral("タグエディタを選択"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // Programs here are known by their permission, not by a name pattern, and
    // the desktop's own dialogs cannot filter by permission.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setNameFilter(QStringLiteral("実行ファイル (*)"));
    // The file model's own permission filter cannot keep just the programs
    // (asked for executable files, it hides every readable one).
    dialog->setProxyModel(new ProgramFilter(dialog));
    return dialog;
}

#include "settings/ColorProfiles.h"

#include "core/Clock.h"
#include "core/MessageService.h"
#include "core/SafeName.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>

namespace {

constexpr std::array<ColorBox, 8> MiniFace = {{
    {1, "ディスプレイカラー"},
    {11, "ディスプレイフォント"},
    {8, "タイマーフォント"},
    {10, "プレイモードフォント"},
    {9, "バックカラー"},
    {6, "LEVEL1"},
    {5, "LEVEL2"},
    {4, "MiniVisual LEVEL3"},
}};

constexpr std::array<ColorBox, 12> Playlist = {{
    {0, "プレイリストフォント"},
    {2, "再生中のトラック"},
    {15, "プレイリストバック"},
    {12, "バックカラー"},
    {13, "セレクトフォント"},
    {14, "セレクトバック"},
    {16, "ツリーフォント"},
    {17, "ツリーバック"},
    {18, "ボックスバック"},
    {19, "ボックスフォント"},
    {3, "プログレスバー"},
    {7, "プログレスバック"},
}};

} // namespace

std::span<const ColorBox> miniFaceColorBoxes()
{
    return MiniFace;
}

std::span<const ColorBox> playlistColorBoxes()
{
    return Playlist;
}

ColorProfiles::ColorProfiles(SettingsStore &store, MessageService &messages, QString colorFolder,
                             const Clock &clock)
    : m_store(store)
    , m_messages(messages)
    , m_folder(colorFolder.endsWith(u'/') ? colorFolder : colorFolder + u'/')
    , m_clock(clock)
{
}

QString ColorProfiles::pathOf(const QString &name) const
{
    return m_folder + name + QStringLiteral(".ini");
}

QStringList ColorProfiles::ColorComboCreate() const
{
    QStringList names;
    const QStringList files = QDir(m_folder).entryList(QDir::Files, QDir::Name);
    for (const QString &file : files) {
        const QString name = file.chopped(qMin<qsizetype>(4, file.size()));
        if (IsSafeName(name))
            names << name;
    }
    return names;
}

bool ColorProfiles::select(const QString &name)
{
    if (!ColorComboCreate().contains(name))
        return false;
    m_store.LoadColorFile(pathOf(name));
    return true;
}

std::optional<QString> ColorProfiles::save(const QString &typed)
{
    QString name = TypedName(typed);
    if (name.trimmed().isEmpty())
        name = QStringLiteral("Color") + m_clock.localNow().toString(QStringLiteral("yyyyMMddhhmmss"));
    if (!IsSafeName(name)) {
        m_messages.ShowMessage(false, UnsafeNameMessage(name), MessageService::Exclamation);
        return std::nullopt;
    }
    const QString path = pathOf(name);
    if (QFileInfo::exists(path)) {
        const QString question = QStringLiteral("カラープロファイル\"%1\"は既にあります。\r\n上書きしますか？").arg(name);
        if (m_messages.ShowMessage(true, question, MessageService::YesNo | MessageService::Question)
            == MessageService::No)
            return std::nullopt;
    }
    QDir().mkpath(m_folder); // skipped on failure
    if (!m_store.SaveColorFile(path))
        return std::nullopt;
    return name;
}

bool ColorProfiles::remove(const QString &typed)
{
    if (typed.trimmed().isEmpty()) {
        m_messages.ShowMessage(false, QStringLiteral("プレイリストが選択されてません"), MessageService::Critical);
        return false;
    }
    if (!IsSafeName(typed)) {
        m_messages.ShowMessage(false, UnsafeNameMessage(typed), MessageService::Exclamation);
        return false;
    }
    const QString question =
        QStringLiteral("選択しているカラープロファイル\"%1\"を削除します。\r\nよろしいですか？").arg(typed);
    if (m_messages.ShowMessage(true, question, MessageService::YesNo | MessageService::Question) == MessageService::No)
        return false;
    const QFileInfo info(pathOf(typed));
    // Only a file of the folder itself: never a link that points elsewhere.
    if (!info.isFile() || info.isSymLink())
        return false;
    return QFile::remove(info.filePath());
}

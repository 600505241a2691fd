#include "app/SettingsRoles.h"

#include "core/AppPaths.h"
#include "playlist/TrackAdder.h"
#include "settings/SettingsStore.h"

namespace {

SettingId folderSetting(const QString &key)
{
    if (key == TrackAdder::FolderKey)
        return SettingId::SelectFolder;
    if (key == TrackAdder::ZipFileFolderKey)
        return SettingId::SelectZipFilePath;
    return SettingId::SelectAudioFilePath;
}

} // namespace

SettingsRoles::SettingsRoles(SettingsStore &settings, const AppPaths &paths, const bool &readOnly)
    : m_settings(settings), m_paths(paths), m_readOnly(readOnly)
{
}

QString SettingsRoles::tagEditorPath() const
{
    return m_settings.text(SettingId::TagEditorPath);
}

bool SettingsRoles::askBeforeAutoSave() const
{
    return m_settings.isOn(SettingId::AutoSaveQuestion);
}

QString SettingsRoles::folder(const QString &key) const
{
    return m_settings.text(folderSetting(key));
}

void SettingsRoles::remember(const QString &key, const QString &folder)
{
    if (!m_readOnly)
        m_settings.rememberFolder(folderSetting(key), folder, m_paths.iniFilePath());
}

bool SettingsRoles::includeSubfolders() const
{
    return m_settings.isOn(SettingId::AddSubfolders);
}

void SettingsRoles::leaveTopmost()
{
    if (m_settings.isOn(SettingId::Foremost))
        m_settings.setValue(SettingId::Foremost, 0);
}

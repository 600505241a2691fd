#pragma once

#include "core/AlwaysOnTop.h"
#include "playlist/CommandSettings.h"
#include "playlist/RememberedFolders.h"

class AppPaths;
class SettingsStore;

// The settings store in the roles the list and library commands see it:
// the options they read, the folders the add commands remember, and the
// always-on-top setting they leave. User-interface thread only.
class SettingsRoles final : public CommandSettings, public RememberedFolders, public AlwaysOnTop
{
public:
    // Remembered folders are written to the settings file of `paths`; while
    // `readOnly` is true (another player owns the program folder) nothing is
    // remembered.
    SettingsRoles(SettingsStore &settings, const AppPaths &paths, const bool &readOnly);

    // CommandSettings
    QString tagEditorPath() const override;
    bool askBeforeAutoSave() const override;

    // RememberedFolders
    QString folder(const QString &key) const override;
    void remember(const QString &key, const QString &folder) override;
    bool includeSubfolders() const override;

    // AlwaysOnTop: the "Foremost" setting goes off; the windows and the menu
    // entry follow it.
    void leaveTopmost() override;

private:
    SettingsStore &m_settings;
    const AppPaths &m_paths;
    const bool &m_readOnly;
};

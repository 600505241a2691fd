#pragma once

#include "settings/ui/SettingsTab.h"
#include "style/Style.h"
#include "style/ui/StyleEditor.h"

#include <QPointer>

#include <array>
#include <utility>

class QComboBox;
class LinkLabel;

// The tab "Style": the list of styles (choosing or typing a name), the
// style editor ("スタイル作成"), how backgrounds are drawn, and the chosen
// style's description with its links.
class StyleTab : public SettingsTab
{
    Q_OBJECT
public:
    explicit StyleTab(SettingsDialogModel &model, QWidget *parent = nullptr);

    void load() override;

    // The style the windows show (with the editor's pictures): its
    // description, and where the editor starts from.
    void setStyle(const Style &style);
    // How the style editor is skinned, now and when it opens.
    void setEditorSkin(const EditorSkin &skin);

    QComboBox *styleCombo() const { return m_combo; }
    // The style editor while it is open, else null.
    StyleEditor *styleEditor() const { return m_editor; }
    // True when the editor showed pictures on the windows since the last
    // call: the dialog closing by Cancel then loads the style again.
    bool takePreviewed() { return std::exchange(m_previewed, false); }

Q_SIGNALS:
    void linkActivated(const QString &url);
    void stylePreviewed(const StyleBackgrounds &backgrounds);
    void styleReloadRequested();

protected:
    void showSetting(SettingId id) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refreshList();
    void commitText();
    void openEditor();
    void placeEditor();

    QComboBox *m_combo = nullptr;
    std::array<LinkLabel *, 6> m_info{};
    Style m_style;
    EditorSkin m_skin;
    QPointer<StyleEditor> m_editor;
    bool m_previewed = false;
    bool m_committing = false;
};

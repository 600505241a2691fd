#pragma once

#include "settings/SettingsKeys.h"
#include "settings/VersionInfo.h"
#include "style/Style.h"
#include "style/ui/StyleEditor.h"
#include "window/ui/WindowDrag.h"

#include <QDialog>
#include <QImage>
#include <QPointer>

#include <array>
#include <functional>

class QAbstractButton;
class QAbstractSlider;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QTabWidget;
class QVBoxLayout;
class SettingsDialogModel;
class SettingsStore;
class LinkLabel;
class ColorSwatch;

// The settings dialog (form `Setting`): frameless and skinned with the
// current style's playlist background and the colour slots, six tabs of
// controls bound to the settings store through SettingsDialogModel. Every
// control writes its key at once; the store's changes (a Cancel, a
// profile) show in the controls. Created once and hidden while closed.
class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SettingsDialog(SettingsDialogModel &model, QWidget *parent = nullptr);
    ~SettingsDialog() override;

    // The style's background picture and description.
    void setStyle(const Style &style);
    // Where the Version tab's lines come from; asked once, when the tab is
    // first shown (the audio library's decoders load only then).
    void setVersionSource(std::function<VersionInfo()> source) { m_versionSource = std::move(source); }

    // Position from and into the settings store ([Setting] Top / Left).
    void applySettings();
    void storeState();

    // Before showing: the style and profile lists read again, every control
    // from the store, the whole dialog inside the work area of its screen.
    void prepareToShow();

    QTabWidget *tabs() const { return m_tabs; }
    // The control that edits `id` (a check box, option button group's first
    // button, slider or scroll bar), for tests and screenshots.
    QWidget *controlOf(SettingId id) const;
    QComboBox *styleCombo() const { return m_styleCombo; }
    QComboBox *colorCombo() const { return m_colorCombo; }
    // The style editor while it is open, else null.
    StyleEditor *styleEditor() const { return m_styleEditor; }

Q_SIGNALS:
    // The user moved the dialog by a drag.
    void placed(QWidget *window);
    // A link was clicked (an http, https or mailto address).
    void linkActivated(const QString &url);
    // The style editor shows `backgrounds` on the real windows.
    void stylePreviewed(const StyleBackgrounds &backgrounds);
    // The current style's folder changed, or the pictures the editor showed
    // must go: the style is to be read again.
    void styleReloadRequested();

protected:
    void done(int result) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildOptionTab();
    QWidget *buildCustomizeTab();
    QWidget *buildSoundTab();
    QWidget *buildStyleTab();
    QWidget *buildColorTab();
    QWidget *buildVersionTab();
    void fillVersionTab();

    QCheckBox *check(SettingId id, const char *caption);
    QWidget *options(SettingId id, std::initializer_list<const char *> captions);
    QWidget *slider(SettingId id, const char *low, const char *high, QWidget *before = nullptr);
    void bind(SettingId id, QObject *control);

    void showSetting(SettingId id);
    void showAll();
    void restyle();
    void chooseFont(bool main);
    void chooseTagEditor();
    void refreshStyleList();
    void refreshColorList();
    void commitStyleText();
    void openStyleEditor();
    EditorSkin skin() const;

    SettingsDialogModel &m_model;
    SettingsStore &m_store;
    WindowDrag m_drag{this};
    QImage m_background;
    Style m_style; // the style the windows show, with the editor's pictures
    QPointer<StyleEditor> m_styleEditor;
    bool m_previewed = false; // the editor showed pictures since the dialog opened
    std::function<VersionInfo()> m_versionSource;
    bool m_versionShown = false;
    bool m_committingStyle = false;

    QWidget *m_body = nullptr;
    QTabWidget *m_tabs = nullptr;
    std::array<QObject *, SettingCount> m_controls{};
    std::array<QWidget *, SettingCount> m_shown{};
    QLabel *m_cornerLabel = nullptr;
    QLineEdit *m_tagEditor = nullptr;
    QLineEdit *m_mainSample = nullptr;
    QLineEdit *m_listSample = nullptr;
    QComboBox *m_styleCombo = nullptr;
    std::array<QLabel *, 6> m_styleInfo{};
    QComboBox *m_colorCombo = nullptr;
    std::array<ColorSwatch *, ColorSlotCount> m_swatches{};
    QVBoxLayout *m_versionAudio = nullptr;
    QVBoxLayout *m_versionArchiver = nullptr;
    QLabel *m_versionTitle = nullptr;
    QLabel *m_versionDate = nullptr;
    QLabel *m_versionMaker = nullptr;
};

#pragma once

#include "settings/SettingsKeys.h"
#include "settings/VersionInfo.h"
#include "style/Style.h"
#include "style/ui/StyleEditor.h"
#include "window/ui/WindowDrag.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QComboBox;
class QScrollArea;
class QTabWidget;
class ColorTab;
class CustomizeTab;
class SettingsChooser;
class SettingsDialogModel;
class SettingsStore;
class SoundTab;
class StyleTab;
class VersionTab;
class WindowFader;

// The settings dialog: frameless and skinned with the
// current style's playlist background and the colour slots, six tabs
// (OptionTab .. VersionTab) over the settings store through
// SettingsDialogModel. Every control writes its key at once; the store's
// changes (a Cancel, a profile) show in the controls. OK saves every
// setting, Cancel puts back what the dialog changed. Created once and
// hidden while closed.
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
    void setVersionSource(std::function<VersionInfo()> source);
    // Where the Sound tab's list of output devices comes from; asked each
    // time the dialog is about to show.
    void setOutputDeviceSource(std::function<QStringList()> source);
    // Where fonts, the tag editor's program and colours are asked for (the
    // system's dialogs until set).
    void setChooser(SettingsChooser &chooser);

    // Position from and into the settings store ([Setting] Top / Left).
    void applySettings();
    void storeState();

    // The fader of this dialog. While `fadeOnClose` holds (set as the dialog
    // opens: whether it faded in) and fades are on, OK and Cancel fade the
    // dialog out and close it at the end of the fade; otherwise at once.
    void setFader(WindowFader *fader) { m_fader = fader; }
    void setFadeOnClose(bool fadeOnClose) { m_fadeOnClose = fadeOnClose; }

    // Before showing: the style and profile lists read again, every control
    // from the store, the whole dialog inside the work area of its screen.
    void prepareToShow();

    QTabWidget *tabs() const { return m_tabs; }
    // The control that edits `id` (a check box, option button group's first
    // button, slider or scroll bar), for tests and screenshots.
    QWidget *controlOf(SettingId id) const;
    QComboBox *styleCombo() const;
    // The style editor while it is open, else null.
    StyleEditor *styleEditor() const;

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

private:
    void restyle();
    EditorSkin skin() const;

    SettingsDialogModel &m_model;
    SettingsStore &m_store;
    WindowDrag m_drag{this};
    QImage m_background;

    QWidget *m_body = nullptr;
    QTabWidget *m_tabs = nullptr;
    QScrollArea *m_tabScroll = nullptr;
    // The size the dialog shows at when the work area has room for it.
    QSize m_naturalSize;
    CustomizeTab *m_customizeTab = nullptr;
    StyleTab *m_styleTab = nullptr;
    ColorTab *m_colorTab = nullptr;
    VersionTab *m_versionTab = nullptr;
    WindowFader *m_fader = nullptr;
    bool m_fadeOnClose = false;
    SoundTab *m_soundTab = nullptr;
};

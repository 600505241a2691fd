#include "settings/SettingsDialogModel.h"

#include "core/MessageService.h"
#include "core/SafeName.h"
#include "settings/SettingsStore.h"
#include "style/Style.h"
#include "style/StyleEditorModel.h"

#include <cmath>

namespace {

using Id = SettingId;
using K = DialogControlKind;

// clang-format off
constexpr std::array<DialogControl, 24> Controls = {{
    // tab "Option"
    {"chkTransForm",                 Id::SetNotTrans,        K::Check,     0, 1},
    {"chkWorkArea",                  Id::MoveWorkArea,       K::Check,     0, 1},
    {"chkTempClear",                 Id::TempFolderClear,    K::Check,     0, 1},
    {"chkAutoSave",                  Id::AutoSaveQuestion,   K::Check,     0, 1},
    {"chkResumePlay",                Id::ResumePlay,         K::Check,     0, 1},
    {"chkGridDisplay",               Id::GridDisplay,        K::Check,     0, 1},
    {"chkAddSubfolders",             Id::AddSubfolders,      K::Check,     0, 1},
    // tab "Customize"
    {"optAdsorb",                    Id::PlaylistAdsorption, K::Options,   0, 2},
    {"optClickWay",                  Id::TreeClick,          K::Options,   0, 1},
    {"optSeekStyle",                 Id::PGBStyle,           K::Options,   0, 1},
    {"vsbCornerRound",               Id::CornerRoundValue,   K::ScrollBar, 0, 99},
    {"chkFade",                      Id::Fade,               K::Check,     0, 1},
    {"sldFadeSpeed",                 Id::FadeSpeed,          K::Slider,    1, 100},
    {"chkTranslucent",               Id::Translucent,        K::Check,     0, 1},
    {"sldTranslucent",               Id::Transparency,       K::Slider,    5, 255},
    {"sldScrollSpeed",               Id::ScrollSpeed,        K::Slider,    1, 500},
    {"sldMiniVisualSpeed",           Id::MiniVisualSpeed,    K::Slider,    1, 200},
    // tab "Sound"
    {"sldMasterVolume",              Id::WaveOutVolume,      K::Slider,    0, 65535},
    {"optReplayGain",                Id::ReplayGain,         K::Options,   0, 2},
    {"sldReplayGainPreamp",          Id::ReplayGainPreamp,   K::Slider,    -12, 12},
    {"chkReplayGainClip",            Id::ReplayGainClip,     K::Check,     0, 1},
    // tab "Style"
    {"chkFlat",                      Id::Flat,               K::Check,     0, 1},
    {"chkMainBackImageSizeOptimize", Id::MainStretch,        K::Check,     0, 1},
    {"chkListBackImageSizeOptimize", Id::ListStretch,        K::Check,     0, 1},
}};
// clang-format on

} // namespace

SettingsDialogModel::SettingsDialogModel(SettingsStore &store, MessageService &messages, QString colorFolder,
                                         QString styleFolder, const Clock &clock, std::function<void()> saveAll)
    : m_store(store)
    , m_messages(messages)
    , m_profiles(store, messages, std::move(colorFolder), clock)
    , m_styleFolder(std::move(styleFolder))
    , m_saveAll(std::move(saveAll))
{
}

std::span<const DialogControl> SettingsDialogModel::controls()
{
    return Controls;
}

const DialogControl *SettingsDialogModel::control(SettingId id)
{
    for (const DialogControl &c : Controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

void SettingsDialogModel::setControl(SettingId id, int value)
{
    const DialogControl *c = control(id);
    Q_ASSERT(c);
    if (!c)
        return;
    m_store.setValue(id, qBound(c->minimum, value, c->maximum));
}

bool SettingsDialogModel::isDialogSetting(SettingId id)
{
    if (isColorSetting(id))
        return true;
    switch (id) {
    case Id::WaveOutVolume: // the master volume stays as moved
        return false;
    case Id::TagEditorPath:
    case Id::MainFontName:
    case Id::MainFontSize:
    case Id::MainFontBold:
    case Id::ListFontName:
    case Id::ListFontSize:
    case Id::ListFontBold:
    case Id::StyleName:
    case Id::OutputDevice:
        return true;
    default:
        return control(id) != nullptr;
    }
}

void SettingsDialogModel::setFont(bool main, const QString &family, double pointSize, bool bold)
{
    if (family.isEmpty())
        return;
    m_store.setText(main ? Id::MainFontName : Id::ListFontName, family);
    m_store.setValue(main ? Id::MainFontSize : Id::ListFontSize, int(std::lround(pointSize)));
    m_store.setValue(main ? Id::MainFontBold : Id::ListFontBold, bold ? 1 : 0);
}

void SettingsDialogModel::chooseTagEditor(const QString &path)
{
    if (!path.isEmpty())
        m_store.setText(Id::TagEditorPath, path);
}

QStringList SettingsDialogModel::StyleComboCreate() const
{
    return Style::StyleComboCreate(m_styleFolder);
}

bool SettingsDialogModel::chooseStyle(const QString &name)
{
    if (!IsSafeName(name)) {
        m_messages.ShowMessage(false, UnsafeNameMessage(name), MessageService::Exclamation);
        return false;
    }
    m_store.setText(Id::StyleName, name);
    return true;
}

std::unique_ptr<StyleEditorModel> SettingsDialogModel::openStyleEditor(const QString &sourceFolder,
                                                                      const StyleBackgrounds &shown)
{
    m_messages.holdOffTop(true);
    return std::make_unique<StyleEditorModel>(m_messages, m_styleFolder, m_store.text(Id::StyleName), sourceFolder,
                                              shown);
}

void SettingsDialogModel::styleEditorClosed()
{
    m_messages.holdOffTop(false);
}

bool SettingsDialogModel::styleCreated(const QString &name)
{
    const bool same = m_store.text(Id::StyleName) == name;
    chooseStyle(name);
    return same;
}

void SettingsDialogModel::pickColor(int slot, int ref)
{
    if (ref == -1 || slot < 0 || slot >= ColorSlotCount)
        return;
    m_store.setColorRef(ColorSlot(slot), ref & 0xFFFFFF);
}

void SettingsDialogModel::restoreDefaultColors()
{
    for (int slot = 0; slot < ColorSlotCount; ++slot)
        pickColor(slot, settingKey(colorSlotSetting(slot)).defaultValue);
}

void SettingsDialogModel::opened()
{
    if (m_open)
        return;
    if (m_saveAll)
        m_saveAll();
    for (const SettingKey &k : settingKeys()) {
        if (!isDialogSetting(k.id))
            continue;
        if (k.kind == SettingKind::Text)
            m_texts[std::size_t(k.id)] = m_store.text(k.id);
        else
            m_values[std::size_t(k.id)] = m_store.value(k.id);
    }
    m_open = true;
}

void SettingsDialogModel::accepted()
{
    if (m_saveAll)
        m_saveAll();
    m_open = false;
}

void SettingsDialogModel::cancelled()
{
    if (!m_open)
        return;
    for (const SettingKey &k : settingKeys()) {
        if (!isDialogSetting(k.id))
            continue;
        if (k.kind == SettingKind::Text)
            m_store.setText(k.id, m_texts[std::size_t(k.id)]);
        else
            m_store.setValue(k.id, m_values[std::size_t(k.id)]);
    }
    m_open = false;
}

int SettingsDialogModel::windowOpacity(const SettingsStore &store, TopWindow window)
{
    if (window == TopWindow::SettingsDialog && store.isOn(Id::SetNotTrans))
        return 255;
    return store.isOn(Id::Translucent) ? store.value(Id::Transparency) : 255;
}

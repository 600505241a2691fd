#include "settings/SettingsStore.h"

#include "settings/IniFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

using Id = SettingId;

// num / den rounded to the nearest integer, ties to even (num >= 0, den > 0).
qint64 roundHalfEven(qint64 num, qint64 den)
{
    const qint64 q = num / den;
    const qint64 twice = 2 * (num % den);
    if (twice > den || (twice == den && (q & 1)))
        return q + 1;
    return q;
}

// The live value a loaded (stored) value gives.
int liveFromStored(const SettingKey &k, int stored)
{
    switch (k.kind) {
    case SettingKind::Number:
        return qBound(k.minimum, stored, k.maximum);
    case SettingKind::Check:
    case SettingKind::Flag:
        return stored != 0 ? 1 : 0;
    case SettingKind::Choice:
        return stored >= k.minimum && stored <= k.maximum ? stored : k.defaultValue;
    case SettingKind::PlayMode:
        // The stored value is the mode before one step of the play-mode
        // label (4 steps on to 0), so the step gives back the saved mode.
        if (stored < k.minimum || stored > k.maximum)
            stored = k.defaultValue;
        return (stored + 1) % 5;
    case SettingKind::KnobVolume: {
        // Rounded, not cut: the knob offset saved as offset x 2.55 (rounded)
        // then comes back to the same pixel instead of creeping left.
        const qint64 v = qBound(0, stored, 255);
        return int((v * 200 + 255) / 510);
    }
    case SettingKind::MasterVolume: {
        // The slider is set through the whole wave-out percentage.
        const qint64 percent = qint64(qBound(0, stored, 65535)) * 100 / 65535;
        return int(roundHalfEven(percent * 65535, 100));
    }
    case SettingKind::Text:
        break;
    }
    return 0;
}

// A live value kept inside the range a setter accepts.
int clampLive(const SettingKey &k, int value)
{
    switch (k.kind) {
    case SettingKind::Number:
        return qBound(k.minimum, value, k.maximum);
    case SettingKind::Check:
    case SettingKind::Flag:
        return value != 0 ? 1 : 0;
    case SettingKind::Choice:
        return qBound(SettingsStore::NoChoice, value, k.maximum);
    case SettingKind::PlayMode:
        return qBound(0, value, 4);
    case SettingKind::KnobVolume:
        return qBound(0, value, 100);
    case SettingKind::MasterVolume:
        return qBound(0, value, 65535);
    case SettingKind::Text:
        break;
    }
    return 0;
}

// The value written for a live value; nothing when the key is not written.
std::optional<int> storedFromLive(const SettingKey &k, int live)
{
    switch (k.kind) {
    case SettingKind::Number:
    case SettingKind::MasterVolume:
        return live;
    case SettingKind::Check:
        return live ? 1 : 0;
    case SettingKind::Flag:
        return live ? -1 : 0;
    case SettingKind::Choice:
        if (live >= 0)
            return live;
        // No option chosen: the docking group is then not written; the
        // two-option groups write 1 ("not the first option").
        if (k.id == Id::PlaylistAdsorption)
            return std::nullopt;
        return 1;
    case SettingKind::PlayMode:
        return live - 1;
    case SettingKind::KnobVolume:
        return int(roundHalfEven(qint64(live) * 255, 100));
    case SettingKind::Text:
        break;
    }
    return std::nullopt;
}

QString sectionOf(const SettingKey &k)
{
    return QString::fromLatin1(k.section);
}

QString keyOf(const SettingKey &k)
{
    return QString::fromLatin1(k.key);
}

} // namespace

SettingsStore::SettingsStore(QObject *parent)
    : QObject(parent)
{
    for (const SettingKey &k : settingKeys()) {
        if (k.kind == SettingKind::Text)
            m_texts[std::size_t(k.id)] = QString::fromUtf8(k.defaultText);
        else
            m_values[std::size_t(k.id)] = liveFromStored(k, k.defaultValue);
    }
}

int SettingsStore::value(SettingId id) const
{
    Q_ASSERT(settingKey(id).kind != SettingKind::Text);
    return m_values[std::size_t(id)];
}

void SettingsStore::setValue(SettingId id, int value)
{
    const SettingKey &k = settingKey(id);
    Q_ASSERT(k.kind != SettingKind::Text);
    if (k.kind == SettingKind::Text)
        return;
    const int v = clampLive(k, value);
    int &slot = m_values[std::size_t(id)];
    if (slot == v)
        return;
    slot = v;
    Q_EMIT valueChanged(id);
}

QString SettingsStore::text(SettingId id) const
{
    Q_ASSERT(settingKey(id).kind == SettingKind::Text);
    return m_texts[std::size_t(id)];
}

void SettingsStore::setText(SettingId id, const QString &text)
{
    Q_ASSERT(settingKey(id).kind == SettingKind::Text);
    if (settingKey(id).kind != SettingKind::Text)
        return;
    QString &slot = m_texts[std::size_t(id)];
    if (slot == text)
        return;
    slot = text;
    Q_EMIT valueChanged(id);
}

QColor SettingsStore::colorFromRef(int ref)
{
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

int SettingsStore::refFromColor(const QColor &color)
{
    const QColor c = color.toRgb();
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

int SettingsStore::pixels(SettingId id) const
{
    return qRound(double(value(id)) / TwipsPerPixel);
}

void SettingsStore::setPixels(SettingId id, int pixels)
{
    if (this->pixels(id) != pixels)
        setValue(id, pixels * TwipsPerPixel);
}

quint32 SettingsStore::waveOutWord(int level)
{
    const quint32 v = quint32(qBound(0, level, 65535));
    return v << 16 | v;
}

void SettingsStore::loadKey(const IniDocument &doc, SettingId id)
{
    const SettingKey &k = settingKey(id);
    if (k.kind == SettingKind::Text) {
        setText(id, doc.readString(sectionOf(k), keyOf(k), QString::fromUtf8(k.defaultText)));
        return;
    }
    setValue(id, liveFromStored(k, doc.readInt(sectionOf(k), keyOf(k), k.defaultValue)));
}

void SettingsStore::loadKeys(const IniDocument &doc, std::initializer_list<SettingId> ids)
{
    for (SettingId id : ids)
        loadKey(doc, id);
}

void SettingsStore::keepOnScreen(SettingId leftId, SettingId topId, int widthPixels, int heightPixels)
{
    if (m_screenAreas.isEmpty())
        return;
    const QRect window(pixels(leftId), pixels(topId), std::max(1, widthPixels), std::max(1, heightPixels));
    // Enough of the window to grab and drag it back.
    const int needW = std::min(16, window.width());
    const int needH = std::min(16, window.height());
    for (const QRect &area : m_screenAreas) {
        const QRect seen = window.intersected(area);
        if (seen.width() >= needW && seen.height() >= needH)
            return;
    }
    const QRect &area = m_screenAreas.first();
    const int x = qBound(area.left(), window.left(), area.left() + std::max(0, area.width() - window.width()));
    const int y = qBound(area.top(), window.top(), area.top() + std::max(0, area.height() - window.height()));
    setPixels(leftId, x);
    setPixels(topId, y);
}

void SettingsStore::LoadSettings(const QString &iniPath, const QString &colorIniPath)
{
    LoadColorFile(colorIniPath);

    const IniDocument doc = IniDocument::fromFile(iniPath);
    // StyleFolder is read before Name and at once replaced by it.
    loadKeys(doc, {Id::StyleFolder, Id::StyleName, Id::Flat, Id::MainStretch, Id::ListStretch});

    loadKeys(doc, {Id::MainTop, Id::MainLeft, Id::MainWidth,
                   Id::PlaylistTop, Id::PlaylistLeft, Id::PlaylistHeight, Id::PlaylistWidth, Id::PlaylistSeparate,
                   Id::PlaylistVisible, Id::PlaylistDocked,
                   Id::SettingTop, Id::SettingLeft});
    // The main window's height is not stored (a display strip is at least
    // this high), nor the dialog's size.
    keepOnScreen(Id::MainLeft, Id::MainTop, pixels(Id::MainWidth), 16);
    keepOnScreen(Id::PlaylistLeft, Id::PlaylistTop, pixels(Id::PlaylistWidth), pixels(Id::PlaylistHeight));
    keepOnScreen(Id::SettingLeft, Id::SettingTop, 32, 16);

    loadKeys(doc, {Id::PlayMode, Id::Scroll});
    loadKeys(doc, {Id::Foremost, Id::PlaylistAdsorption, Id::TreeClick,
                   Id::SetNotTrans, Id::MoveWorkArea, Id::TempFolderClear, Id::AutoSaveQuestion, Id::ResumePlay,
                   Id::GridDisplay, Id::AddSubfolders,
                   Id::SelectFolder, Id::SelectAudioFilePath, Id::SelectZipFilePath});
    loadKeys(doc, {Id::PGBStyle});
    loadKeys(doc, {Id::ScrollSpeed, Id::MiniVisualSpeed, Id::Fade, Id::FadeSpeed, Id::Translucent,
                   Id::Transparency, Id::CornerRoundValue, Id::TagEditorPath});
    loadKeys(doc, {Id::MainFontName, Id::MainFontSize, Id::MainFontBold,
                   Id::ListFontName, Id::ListFontSize, Id::ListFontBold});
    loadKeys(doc, {Id::ReplayGain, Id::ReplayGainPreamp, Id::ReplayGainClip, Id::OutputDevice});
    Q_EMIT settingsLoaded();
}

void SettingsStore::LoadColorFile(const QString &path)
{
    const IniDocument doc = IniDocument::fromFile(path);
    // In the file's key order; observers of TreeForeColor and TreeBackColor
    // (the tree's colours) are told right after slots 16 and 17.
    for (int i = 0; i <= int(Id::BoxForeColor); ++i)
        loadKey(doc, SettingId(i));
}

std::optional<ProfileWrite> SettingsStore::writeOf(SettingId id) const
{
    const SettingKey &k = settingKey(id);
    ProfileWrite w{sectionOf(k), keyOf(k), k.writer, 0, QString()};
    switch (k.writer) {
    case SettingWriter::Never:
        return std::nullopt;
    case SettingWriter::Text:
        w.text = text(id);
        return w;
    case SettingWriter::Int16:
    case SettingWriter::Long32:
        break;
    }
    const std::optional<int> stored = storedFromLive(k, value(id));
    if (!stored)
        return std::nullopt;
    w.number = k.writer == SettingWriter::Int16 ? qBound(-32768, *stored, 32767) : *stored;
    return w;
}

QList<ProfileWrite> SettingsStore::writesOf(std::initializer_list<SettingId> ids) const
{
    QList<ProfileWrite> writes;
    writes.reserve(qsizetype(ids.size()));
    for (SettingId id : ids)
        if (std::optional<ProfileWrite> w = writeOf(id))
            writes.append(std::move(*w));
    return writes;
}

QList<ProfileWrite> SettingsStore::colorFileWrites() const
{
    QList<ProfileWrite> writes;
    for (int i = 0; i <= int(Id::BoxForeColor); ++i)
        writes.append(*writeOf(SettingId(i)));
    return writes;
}

QList<ProfileWrite> SettingsStore::mainFileWrites() const
{
    return writesOf({
        Id::MainTop, Id::MainLeft, Id::MainWidth,
        Id::PlaylistTop, Id::PlaylistLeft, Id::PlaylistHeight, Id::PlaylistWidth, Id::PlaylistSeparate,
        Id::PlaylistVisible, Id::PlaylistDocked,
        Id::SettingTop, Id::SettingLeft,
        Id::PlayMode, Id::Scroll,
        Id::Foremost, Id::SetNotTrans, Id::MoveWorkArea, Id::TempFolderClear, Id::AutoSaveQuestion,
        Id::ResumePlay, Id::GridDisplay, Id::AddSubfolders, Id::PlaylistAdsorption, Id::TreeClick,
        Id::PGBStyle,
        Id::ScrollSpeed, Id::MiniVisualSpeed, Id::Fade, Id::FadeSpeed, Id::Translucent, Id::Transparency,
        Id::CornerRoundValue, Id::TagEditorPath,
        Id::MainFontName, Id::MainFontSize, Id::MainFontBold, Id::ListFontName, Id::ListFontSize,
        Id::ListFontBold,
        Id::StyleName, Id::Flat, Id::MainStretch, Id::ListStretch,
        Id::Header1Width, Id::Header2Width, Id::Header3Width, Id::Header4Width,
        Id::Header5Width, Id::Header6Width, Id::Header7Width, Id::Header8Width,
        Id::Sort, Id::SortKey, Id::SortOrder,
        Id::ReplayGain, Id::ReplayGainPreamp, Id::ReplayGainClip, Id::OutputDevice,
    });
}

void applyProfileWrite(IniDocument &doc, const ProfileWrite &write)
{
    switch (write.writer) {
    case SettingWriter::Int16:
        doc.writeInt(write.section, write.key, qint16(write.number));
        break;
    case SettingWriter::Long32:
        doc.writeLong(write.section, write.key, write.number);
        break;
    case SettingWriter::Text:
        doc.writeString(write.section, write.key, write.text);
        break;
    case SettingWriter::Never:
        break;
    }
}

bool SettingsStore::saveWrites(const QString &path, const QList<ProfileWrite> &writes)
{
    IniDocument doc = IniDocument::fromFile(path);
    if (doc.origin() == IniDocument::Origin::Unreadable)
        return false;
    for (const ProfileWrite &w : writes)
        applyProfileWrite(doc, w);
    return doc.save(path);
}

bool SettingsStore::SaveSettings(const QString &iniPath, const QString &colorIniPath) const
{
    QDir().mkpath(QFileInfo(colorIniPath).absolutePath()); // skipped on failure
    const bool colorsSaved = SaveColorFile(colorIniPath);
    const bool mainSaved = saveWrites(iniPath, mainFileWrites());
    return colorsSaved && mainSaved;
}

bool SettingsStore::SaveColorFile(const QString &path) const
{
    return saveWrites(path, colorFileWrites());
}

SoundSettings SettingsStore::LoadSoundSettings(const QString &iniPath)
{
    const IniDocument doc = IniDocument::fromFile(iniPath);
    const SettingKey &level = settingKey(Id::WaveOutVolume);
    const SettingKey &player = settingKey(Id::PlayerVolume);
    const int storedLevel = qBound(level.minimum, doc.readInt(sectionOf(level), keyOf(level), level.defaultValue),
                                   level.maximum);
    const int storedPlayer = qBound(player.minimum,
                                    doc.readInt(sectionOf(player), keyOf(player), player.defaultValue),
                                    player.maximum);
    setValue(Id::PlayerVolume, liveFromStored(player, storedPlayer));
    setValue(Id::WaveOutVolume, liveFromStored(level, storedLevel));
    return SoundSettings{storedPlayer, waveOutWord(storedLevel), waveOutWord(value(Id::WaveOutVolume))};
}

bool SettingsStore::SaveSoundSettings(const QString &iniPath) const
{
    return saveWrites(iniPath, writesOf({Id::WaveOutVolume, Id::PlayerVolume}));
}

void SettingsStore::LoadColumnSettings(const QString &iniPath)
{
    const IniDocument doc = IniDocument::fromFile(iniPath);
    loadKeys(doc, {Id::Header1Width, Id::Header2Width, Id::Header3Width, Id::Header4Width,
                   Id::Header5Width, Id::Header6Width, Id::Header7Width, Id::Header8Width,
                   Id::Sort, Id::SortKey, Id::SortOrder});
}

ResumePoint SettingsStore::LoadResume(const QString &iniPath)
{
    const IniDocument doc = IniDocument::fromFile(iniPath);
    loadKeys(doc, {Id::ResumeNo, Id::ResumePosition});
    return ResumePoint{value(Id::ResumeNo), value(Id::ResumePosition)};
}

bool SettingsStore::SaveResume(const QString &iniPath) const
{
    return saveWrites(iniPath, writesOf({Id::ResumeNo, Id::ResumePosition}));
}

void SettingsStore::rememberFolder(SettingId id, const QString &folder, const QString &iniPath)
{
    Q_ASSERT(id == Id::SelectFolder || id == Id::SelectAudioFilePath || id == Id::SelectZipFilePath);
    setText(id, folder);
    const SettingKey &k = settingKey(id);
    WriteProfileString(sectionOf(k), keyOf(k), folder, iniPath); // skipped on failure
}

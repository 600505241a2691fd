#include "settings/SettingsKeys.h"

#include <array>
#include <limits>

namespace {

using W = SettingWriter;
using K = SettingKind;
using Id = SettingId;

constexpr int IntMin = std::numeric_limits<int>::min();
constexpr int IntMax = std::numeric_limits<int>::max();
constexpr int TwipMin = -32768; // positions are written by the 16-bit writer
constexpr int TwipMax = 32767;

// The default font names an older Japanese system wrote; the window code
// substitutes an installed font when it has no font of that name.
#define DEFAULT_FONT "ＭＳ Ｐゴシック"

// clang-format off
constexpr std::array<SettingKey, SettingCount> Table = {{
    // id                        section         key                    writer     kind            default  text              min      max
    {Id::PlaylistForeColor,     "Color",        "PlaylistForeColor",   W::Long32, K::Number,      6250335, nullptr,          IntMin,  IntMax},
    {Id::DisplayBackColor,      "Color",        "DisplayBackColor",    W::Long32, K::Number,      0,       nullptr,          IntMin,  IntMax},
    {Id::ActiveItemColor,       "Color",        "ActiveItemColor",     W::Long32, K::Number,      16777215, nullptr,         IntMin,  IntMax},
    {Id::Level1,                "Color",        "Level1",              W::Long32, K::Number,      16744448, nullptr,         IntMin,  IntMax},
    {Id::Level2,                "Color",        "Level2",              W::Long32, K::Number,      12279296, nullptr,         IntMin,  IntMax},
    {Id::Level3,                "Color",        "Level3",              W::Long32, K::Number,      8076800, nullptr,          IntMin,  IntMax},
    {Id::PGBColor,              "Color",        "PGBColor",            W::Long32, K::Number,      16777215, nullptr,         IntMin,  IntMax},
    {Id::PGBBackColor,          "Color",        "PGBBackColor",        W::Long32, K::Number,      0,       nullptr,          IntMin,  IntMax},
    {Id::TimeForeColor,         "Color",        "TimeForeColor",       W::Long32, K::Number,      16744448, nullptr,         IntMin,  IntMax},
    {Id::MiniFaceBackColor,     "Color",        "MiniFaceBackColor",   W::Long32, K::Number,      16777215, nullptr,         IntMin,  IntMax},
    {Id::PlayModeForeColor,     "Color",        "PlayModeForeColor",   W::Long32, K::Number,      12632256, nullptr,         IntMin,  IntMax},
    {Id::DisplayForeColor,      "Color",        "DisplayForeColor",    W::Long32, K::Number,      16777215, nullptr,         IntMin,  IntMax},
    {Id::ListBackColor,         "Color",        "ListBackColor",       W::Long32, K::Number,      16777215, nullptr,         IntMin,  IntMax},
    {Id::SelectForeColor,       "Color",        "SelectForeColor",     W::Long32, K::Number,      33023,   nullptr,          IntMin,  IntMax},
    {Id::SelectBackColor,       "Color",        "SelectBackColor",     W::Long32, K::Number,      8404992, nullptr,          IntMin,  IntMax},
    {Id::PlaylistBackColor,     "Color",        "PlaylistBackColor",   W::Long32, K::Number,      0,       nullptr,          IntMin,  IntMax},
    {Id::TreeForeColor,         "Color",        "TreeForeColor",       W::Long32, K::Number,      16777215, nullptr,         IntMin,  IntMax},
    {Id::TreeBackColor,         "Color",        "TreeBackColor",       W::Long32, K::Number,      0,       nullptr,          IntMin,  IntMax},
    {Id::BoxBackColor,          "Color",        "BoxBackColor",        W::Long32, K::Number,      0,       nullptr,          IntMin,  IntMax},
    {Id::BoxForeColor,          "Color",        "BoxForeColor",        W::Long32, K::Number,      16777215, nullptr,         IntMin,  IntMax},

    {Id::MainTop,               "Main",         "Top",                 W::Int16,  K::Number,      1000,    nullptr,          TwipMin, TwipMax},
    {Id::MainLeft,              "Main",         "Left",                W::Int16,  K::Number,      1000,    nullptr,          TwipMin, TwipMax},
    {Id::MainWidth,             "Main",         "Width",               W::Int16,  K::Number,      10605,   nullptr,          0,       TwipMax},
    {Id::PlaylistTop,           "Playlist",     "Top",                 W::Int16,  K::Number,      1350,    nullptr,          TwipMin, TwipMax},
    {Id::PlaylistLeft,          "Playlist",     "Left",                W::Int16,  K::Number,      1000,    nullptr,          TwipMin, TwipMax},
    {Id::PlaylistHeight,        "Playlist",     "Height",              W::Int16,  K::Number,      3570,    nullptr,          0,       TwipMax},
    {Id::PlaylistWidth,         "Playlist",     "Width",               W::Int16,  K::Number,      10605,   nullptr,          0,       TwipMax},
    {Id::PlaylistSeparate,      "Playlist",     "Separate",            W::Int16,  K::Number,      110,     nullptr,          0,       32767},
    {Id::PlaylistVisible,       "Playlist",     "Visible",             W::Int16,  K::Check,       0,       nullptr,          0,       1},
    {Id::PlaylistDocked,        "Playlist",     "Docked",              W::Int16,  K::Check,       1,       nullptr,          0,       1},
    {Id::SettingTop,            "Setting",      "Top",                 W::Int16,  K::Number,      1000,    nullptr,          TwipMin, TwipMax},
    {Id::SettingLeft,           "Setting",      "Left",                W::Int16,  K::Number,      10605,   nullptr,          TwipMin, TwipMax},

    {Id::Foremost,              "Option",       "Foremost",            W::Int16,  K::Flag,        0,       nullptr,          -1,      0},
    {Id::SetNotTrans,           "Option",       "SetNotTrans",         W::Int16,  K::Check,       0,       nullptr,          0,       1},
    {Id::MoveWorkArea,          "Option",       "MoveWorkArea",        W::Int16,  K::Check,       0,       nullptr,          0,       1},
    {Id::TempFolderClear,       "Option",       "TempFolderClear",     W::Int16,  K::Check,       0,       nullptr,          0,       1},
    {Id::AutoSaveQuestion,      "Option",       "AutoSaveQuestion",    W::Int16,  K::Check,       0,       nullptr,          0,       1},
    {Id::ResumePlay,            "Option",       "ResumePlay",          W::Int16,  K::Check,       0,       nullptr,          0,       1},
    {Id::GridDisplay,           "Option",       "GridDisplay",         W::Int16,  K::Check,       0,       nullptr,          0,       1},
    {Id::AddSubfolders,         "Option",       "AddSubfolders",       W::Int16,  K::Check,       1,       nullptr,          0,       1},
    {Id::PlaylistAdsorption,    "Option",       "PlaylistAdsorption",  W::Int16,  K::Choice,      0,       nullptr,          0,       2},
    {Id::TreeClick,             "Option",       "TreeClick",           W::Int16,  K::Choice,      0,       nullptr,          0,       1},
    {Id::PGBStyle,              "Option",       "PGBStyle",            W::Long32, K::Choice,      1,       nullptr,          0,       1},
    {Id::SelectFolder,          "Option",       "SelectFolder",        W::Text,   K::Text,        0,       "",               0,       0},
    {Id::SelectAudioFilePath,   "Option",       "SelectAudioFilePath", W::Text,   K::Text,        0,       "",               0,       0},
    {Id::SelectZipFilePath,     "Option",       "SelectZipFilePath",   W::Text,   K::Text,        0,       "",               0,       0},

    {Id::ScrollSpeed,           "Control",      "ScrollSpeed",         W::Int16,  K::Number,      100,     nullptr,          1,       500},
    {Id::MiniVisualSpeed,       "Control",      "MiniVisualSpeed",     W::Int16,  K::Number,      100,     nullptr,          1,       200},
    {Id::Fade,                  "Control",      "Fade",                W::Int16,  K::Check,       0,       nullptr,          0,       1},
    {Id::FadeSpeed,             "Control",      "FadeSpeed",           W::Int16,  K::Number,      51,      nullptr,          1,       100},
    {Id::Translucent,           "Control",      "Translucent",         W::Int16,  K::Check,       0,       nullptr,          0,       1},
    {Id::Transparency,          "Control",      "Transparency",        W::Int16,  K::Number,      255,     nullptr,          5,       255},
    {Id::CornerRoundValue,      "Control",      "CornerRoundValue",    W::Int16,  K::Number,      0,       nullptr,          0,       99},
    {Id::TagEditorPath,         "Control",      "TagEditorPath",       W::Text,   K::Text,        0,       "",               0,       0},

    {Id::MainFontName,          "Font",         "MainFontName",        W::Text,   K::Text,        0,       DEFAULT_FONT,     0,       0},
    {Id::MainFontSize,          "Font",         "MainFontSize",        W::Int16,  K::Number,      8,       nullptr,          1,       200},
    {Id::MainFontBold,          "Font",         "MainFontBold",        W::Int16,  K::Flag,        0,       nullptr,          -1,      0},
    {Id::ListFontName,          "Font",         "ListFontName",        W::Text,   K::Text,        0,       DEFAULT_FONT,     0,       0},
    {Id::ListFontSize,          "Font",         "ListFontSize",        W::Int16,  K::Number,      9,       nullptr,          1,       200},
    {Id::ListFontBold,          "Font",         "ListFontBold",        W::Int16,  K::Flag,        0,       nullptr,          -1,      0},

    {Id::StyleName,             "Style",        "Name",                W::Text,   K::Text,        0,       "WindowsStyle",   0,       0},
    {Id::StyleFolder,           "Style",        "StyleFolder",         W::Never,  K::Text,        0,       "WindowsStyle",   0,       0},
    {Id::Flat,                  "Style",        "Flat",                W::Int16,  K::Check,       0,       nullptr,          0,       1},
    {Id::MainStretch,           "Style",        "MainStretch",         W::Int16,  K::Check,       1,       nullptr,          0,       1},
    {Id::ListStretch,           "Style",        "ListStretch",         W::Int16,  K::Check,       1,       nullptr,          0,       1},

    // The player's own output gain (no device's master volume): unity until
    // a file says otherwise, so a first start plays at the source's level.
    // A stored value keeps its meaning (32767 is about -6 dB).
    {Id::WaveOutVolume,         "Sound",        "WaveOutVolume",       W::Long32, K::MasterVolume, 65535,  nullptr,          0,       65535},
    {Id::PlayerVolume,          "Sound",        "PlayerVolume",        W::Long32, K::KnobVolume,  255,     nullptr,          0,       255},
    // Loudness levelling from the tags: off by default, so nothing sounds
    // different until asked; clipping prevention on once it is asked for.
    {Id::ReplayGain,            "Sound",        "ReplayGain",          W::Int16,  K::Choice,      0,       nullptr,          0,       2},
    {Id::ReplayGainPreamp,      "Sound",        "ReplayGainPreamp",    W::Int16,  K::Number,      0,       nullptr,          -12,     12},
    {Id::ReplayGainClip,        "Sound",        "ReplayGainClip",      W::Int16,  K::Check,       1,       nullptr,          0,       1},
    {Id::OutputDevice,          "Sound",        "OutputDevice",        W::Text,   K::Text,        0,       "",               0,       0},

    {Id::Header1Width,          "ColumnHeader", "Header1Width",        W::Int16,  K::Number,      18,      nullptr,          0,       32767},
    {Id::Header2Width,          "ColumnHeader", "Header2Width",        W::Int16,  K::Number,      30,      nullptr,          0,       32767},
    {Id::Header3Width,          "ColumnHeader", "Header3Width",        W::Int16,  K::Number,      100,     nullptr,          0,       32767},
    {Id::Header4Width,          "ColumnHeader", "Header4Width",        W::Int16,  K::Number,      100,     nullptr,          0,       32767},
    {Id::Header5Width,          "ColumnHeader", "Header5Width",        W::Int16,  K::Number,      60,      nullptr,          0,       32767},
    {Id::Header6Width,          "ColumnHeader", "Header6Width",        W::Int16,  K::Number,      60,      nullptr,          0,       32767},
    {Id::Header7Width,          "ColumnHeader", "Header7Width",        W::Int16,  K::Number,      120,     nullptr,          0,       32767},
    {Id::Header8Width,          "ColumnHeader", "Header8Width",        W::Int16,  K::Number,      70,      nullptr,          0,       32767},
    {Id::Sort,                  "ColumnHeader", "Sort",                W::Int16,  K::Flag,        0,       nullptr,          -1,      0},
    {Id::SortKey,               "ColumnHeader", "SortKey",             W::Int16,  K::Choice,      0,       nullptr,          0,       7},
    {Id::SortOrder,             "ColumnHeader", "SortOrder",           W::Int16,  K::Choice,      0,       nullptr,          0,       1},

    {Id::ResumeNo,              "Resume",       "No",                  W::Int16,  K::Number,      1,       nullptr,          0,       32767},
    {Id::ResumePosition,        "Resume",       "Position",            W::Long32, K::Number,      0,       nullptr,          0,       IntMax},

    {Id::PlayMode,              "State",        "PlayMode",            W::Int16,  K::PlayMode,    0,       nullptr,          -1,      4},
    {Id::Scroll,                "State",        "Scroll",              W::Int16,  K::Check,       0,       nullptr,          0,       1},
}};
// clang-format on

#undef DEFAULT_FONT

constexpr bool tableIsInIdOrder()
{
    for (int i = 0; i < SettingCount; ++i)
        if (int(Table[i].id) != i)
            return false;
    return true;
}
static_assert(tableIsInIdOrder(), "the key table must list the keys in SettingId order");

constexpr std::array<SettingId, ColorSlotCount> ColorSlots = {
    Id::PlaylistForeColor, Id::DisplayBackColor, Id::ActiveItemColor, Id::PGBColor,
    Id::Level3, Id::Level2, Id::Level1, Id::PGBBackColor,
    Id::TimeForeColor, Id::MiniFaceBackColor, Id::PlayModeForeColor, Id::DisplayForeColor,
    Id::ListBackColor, Id::SelectForeColor, Id::SelectBackColor, Id::PlaylistBackColor,
    Id::TreeForeColor, Id::TreeBackColor, Id::BoxBackColor, Id::BoxForeColor,
};

} // namespace

std::span<const SettingKey> settingKeys()
{
    return Table;
}

const SettingKey &settingKey(SettingId id)
{
    return Table[std::size_t(id)];
}

bool isColorSetting(SettingId id)
{
    return int(id) <= int(SettingId::BoxForeColor);
}

SettingId colorSlotSetting(int slot)
{
    Q_ASSERT(slot >= 0 && slot < ColorSlotCount);
    return ColorSlots[std::size_t(qBound(0, slot, ColorSlotCount - 1))];
}

SettingId columnWidthSetting(int column)
{
    Q_ASSERT(column >= 0 && column < ColumnCount);
    return SettingId(int(SettingId::Header1Width) + qBound(0, column, ColumnCount - 1));
}

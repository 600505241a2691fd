#pragma once

#include <QtGlobal>

#include <span>

// Every key of the settings file "Velmora.ini" and of the colour file
// "AutoColor.ini" (section Color), in one table: section, key, writer,
// default and range. SettingsKeys.cpp holds the table; this enum lists the
// keys in the same order, section by section.
enum class SettingId : int {
    // [Color] of the colour file and of every colour profile, in the order the
    // file is written. The comment is the colour slot.
    PlaylistForeColor,  // 0
    DisplayBackColor,   // 1
    ActiveItemColor,    // 2
    Level1,             // 6
    Level2,             // 5
    Level3,             // 4
    PGBColor,           // 3
    PGBBackColor,       // 7
    TimeForeColor,      // 8
    MiniFaceBackColor,  // 9
    PlayModeForeColor,  // 10
    DisplayForeColor,   // 11
    ListBackColor,      // 12
    SelectForeColor,    // 13
    SelectBackColor,    // 14
    PlaylistBackColor,  // 15
    TreeForeColor,      // 16
    TreeBackColor,      // 17
    BoxBackColor,       // 18
    BoxForeColor,       // 19

    // [Main]: the main window, twips.
    MainTop,
    MainLeft,
    MainWidth,
    // [Playlist]: the playlist window, twips; Separate is the tree width in pixels.
    PlaylistTop,
    PlaylistLeft,
    PlaylistHeight,
    PlaylistWidth,
    PlaylistSeparate,
    PlaylistVisible, // the window was open at the end of the last run
    PlaylistDocked,  // it stood docked to the main window rather than at its own place
    // [Setting]: the settings dialog, twips.
    SettingTop,
    SettingLeft,

    // [Option]
    Foremost,
    SetNotTrans,
    MoveWorkArea,
    TempFolderClear,
    AutoSaveQuestion,
    ResumePlay,
    GridDisplay,
    AddSubfolders,
    PlaylistAdsorption,
    TreeClick,
    PGBStyle,
    SelectFolder,
    SelectAudioFilePath,
    SelectZipFilePath,

    // [Control]
    ScrollSpeed,
    MiniVisualSpeed,
    Fade,
    FadeSpeed,
    Translucent,
    Transparency,
    CornerRoundValue,
    TagEditorPath,

    // [Font]
    MainFontName,
    MainFontSize,
    MainFontBold,
    ListFontName,
    ListFontSize,
    ListFontBold,

    // [Style]
    StyleName,
    StyleFolder,
    Flat,
    MainStretch,
    ListStretch,

    // [Sound]
    WaveOutVolume,
    PlayerVolume,
    ReplayGain,       // ReplayGainMode: 0 off, 1 track, 2 album
    ReplayGainPreamp, // dB added to tagged tracks' gains
    ReplayGainClip,   // the tagged peak caps the gain
    OutputDevice,     // the chosen output device's name; empty: the default

    // [ColumnHeader]: the track list's columns, pixels.
    Header1Width,
    Header2Width,
    Header3Width,
    Header4Width,
    Header5Width,
    Header6Width,
    Header7Width,
    Header8Width,
    Sort,
    SortKey,
    SortOrder,

    // [Resume]
    ResumeNo,
    ResumePosition,

    // [State]
    PlayMode,
    Scroll,
};

inline constexpr int SettingCount = int(SettingId::Scroll) + 1;
// The colour slots, in the order of the colour file's table and of the
// settings dialog's swatches.
enum ColorSlot : int {
    PlaylistForeSlot,   // the rows' text
    DisplayBackSlot,    // the main window's display
    ActiveItemSlot,     // the playing row's text
    ProgressSlot,       // the seek bar
    LevelTopSlot,       // the level meter, top to bottom
    LevelMiddleSlot,
    LevelBottomSlot,
    ProgressBackSlot,   // behind the seek bar
    TimeForeSlot,
    MiniFaceBackSlot,
    PlayModeForeSlot,
    DisplayForeSlot,
    ListBackSlot,       // the playlist window's face
    SelectForeSlot,
    SelectBackSlot,
    PlaylistBackSlot,   // behind the rows
    TreeForeSlot,
    TreeBackSlot,
    BoxBackSlot,        // the address, search and status boxes
    BoxForeSlot,
    ColorSlotCount
};
inline constexpr int ColumnCount = 8;

// How a key is written.
enum class SettingWriter : quint8 {
    Int16,  // WriteProfileInt: 16-bit signed decimal
    Long32, // WriteProfileLong: 32-bit signed decimal
    Text,   // WriteProfileString
    Never,  // read only, never written
};

// How the value in the file relates to the live value the program works with.
enum class SettingKind : quint8 {
    Number,       // the same number; loading clamps it into the range
    Check,        // a check box: 0 / 1; any non-zero value loads as 1
    Flag,         // a boolean: written -1 / 0; any non-zero value loads as true (1)
    Choice,       // the index of the chosen option; a value outside the range
                  // loads as the default; live -1 means no option is chosen
    Text,         // a string
    PlayMode,     // written as play mode - 1; see SettingsStore
    KnobVolume,   // written 0..255, live the volume knob's offset 0..100 pixels
    MasterVolume, // written and live 0..65535, loaded through a whole percentage
};

// One key. Default and range are in the file's unit, as the file holds them.
struct SettingKey
{
    SettingId id;
    const char *section;
    const char *key;
    SettingWriter writer;
    SettingKind kind;
    int defaultValue;        // what a missing key reads as (not for Text)
    const char *defaultText; // what a missing key reads as (Text only; UTF-8)
    int minimum;             // the range a loaded value is kept to
    int maximum;
};

// The table, in SettingId order.
std::span<const SettingKey> settingKeys();

// The row of `id`.
const SettingKey &settingKey(SettingId id);

// True for the keys of the colour file.
bool isColorSetting(SettingId id);

// The key holding colour slot `slot`.
SettingId colorSlotSetting(int slot);

// The key holding the width of track list column `column` (0..7).
SettingId columnWidthSetting(int column);

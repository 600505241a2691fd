#pragma once

#include <QString>
#include <QStringList>

// The one list of the audio formats the decoders play (mpg123 for MPEG
// audio, FFmpeg for the rest, FluidSynth for MIDI), by family. Folder adds,
// the file dialog's filters, the desktop entry's MIME types and the help
// text are all made from it, so a format the player plays is never left
// out of one of them.
namespace AudioFormats {

struct Family
{
    const char *label;      // the dialog's name for the family
    QStringList extensions; // lower case, without the dot
    QStringList mimeTypes;
};

// Every family, in the order the file dialog offers them.
const QList<Family> &families();

// Every extension of every family, lower case, in family order.
const QStringList &extensions();

// True when the name of `path` ends in "." and one of the extensions, in
// any letter case ("Song.FLAC" is playable; "flac" and "song.flac.txt" are
// not).
bool isPlayable(QStringView path);

// The filter of the file dialog, "label|patterns|label|patterns": first all
// playable formats, then one entry per family, then all files.
QString dialogFilter();

// The MIME types of every family, in family order, without repeats.
QStringList mimeTypes();

// The extensions as one line for the help text: ".mp3 .mp2 …".
QString extensionLine();

} // namespace AudioFormats

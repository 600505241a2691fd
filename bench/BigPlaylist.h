#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A folder of `files` (empty) tracks and the "#M3UX" playlist "Big" naming
// each of them, in a temporary folder.
struct BigPlaylist {
    QTemporaryDir root;
    QString musicFolder;
    QString playlistFolder;
    QString playlistFile;

    explicit BigPlaylist(int files)
    {
        musicFolder = root.path() + "/music/";
        playlistFolder = root.path() + "/Playlist/";
        QDir().mkpath(musicFolder);
        QDir().mkpath(playlistFolder);
        QByteArray text = "#M3UX\r\n";
        for (int i = 0; i < files; ++i) {
            const QString path = musicFolder + QStringLiteral("Artist %1 - Some Song Title %2.mp3").arg(i % 97).arg(i);
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            text += path.toUtf8() + "\r\n#Some Song Title " + QByteArray::number(i) + ";Artist " +
                    QByteArray::number(i % 97) + ";4:05;128kbps\r\n";
        }
        playlistFile = playlistFolder + "Big.m3u";
        QFile out(playlistFile);
        out.open(QIODevice::WriteOnly);
        out.write(text);
    }
};

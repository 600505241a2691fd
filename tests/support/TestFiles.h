#pragma once

#include "core/NativePath.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <gtest/gtest.h>

// Writes `bytes` to `path`, creating its folder; fails the test when it cannot.
inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// Creates `path` (and its folders) holding `content`; returns the path.
inline QString touchFile(const QString &path, const QByteArray &content = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
    return path;
}

// The bytes of `path`, or "<missing>" when it cannot be read.
inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// "テスト.mp3" in Shift-JIS: a file name that is not UTF-8.
inline const QByteArray Cp932Mp3Name("\x83\x65\x83\x58\x83\x67.mp3");

// A file named by the bytes `name` in the existing folder `dir`, holding
// `content`, removed again at the end of its scope (Qt cannot remove it: it
// does not see it).
struct RawNamedFile {
    QString path; // as the program holds it
    RawNamedFile(const QString &dir, const QByteArray &name, const QByteArray &content = "x")
        : path(dir + u'/' + NativePath::decode(name))
    {
        if (FILE *f = std::fopen(NativePath::encode(path).constData(), "wb")) {
            std::fwrite(content.constData(), 1, std::size_t(content.size()), f);
            std::fclose(f);
        }
    }
    ~RawNamedFile() { std::remove(NativePath::encode(path).constData()); }
    RawNamedFile(const RawNamedFile &) = delete;
    RawNamedFile &operator=(const RawNamedFile &) = delete;
};

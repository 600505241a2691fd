#include "style/StyleCreation.h"

#include "core/AtomicFile.h"
#include "core/SafeName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryDir>

namespace StyleCreation {

namespace {

Result failed(const QString &name, const QString &what)
{
    return {Result::Failed, QStringLiteral("スタイル\"%1\"を作成できませんでした。\r\n%2").arg(name, what)};
}

// Streams `from` into `to` through an atomic save, so that a short write or
// a full disk shows as a failure.
bool copyFile(const QString &from, const QString &to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    return WriteFileAtomically(to, [&in](QIODevice &out) {
        while (!in.atEnd()) {
            const QByteArray chunk = in.read(64 * 1024);
            if (chunk.isEmpty() || out.write(chunk) != chunk.size())
                return false;
        }
        return in.error() == QFileDevice::NoError;
    });
}

bool writeBitmap(const QString &path, const QImage &image)
{
    return WriteFileAtomically(path, [&image](QIODevice &out) {
        QImageWriter writer(&out, "bmp");
        return writer.write(image);
    });
}

// Fills the folder `into` with the new style's files; returns what failed,
// or empty.
QString build(const QString &into, const NewStyle &style)
{
    const QString dir = into + QLatin1Char('/');
    if (!style.sourceFolder.isEmpty()) {
        const QFileInfoList files =
            QDir(style.sourceFolder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDir::Name);
        for (const QFileInfo &file : files)
            if (!copyFile(file.filePath(), dir + file.fileName()))
                return QStringLiteral("ファイル\"%1\"をコピーできません。").arg(file.fileName());
    }

    const struct {
        const char *group;
        const QImage &picture;
    } backgrounds[] = {
        {"mainback", style.backgrounds.mainBack},
        {"panelback", style.backgrounds.panelBack},
        {"listback", style.backgrounds.listBack},
        {"viewback", style.backgrounds.viewBack},
    };
    for (const auto &b : backgrounds) {
        const QString group = QString::fromLatin1(b.group);
        // A copied "mainback.jpg" beside a new "mainback.bmp" would be a file
        // whose edits never show: the whole group goes.
        const QStringList stale = QDir(into).entryList({group + QLatin1Char('*')}, QDir::Files | QDir::Hidden);
        for (const QString &file : stale)
            if (!QFile::remove(dir + file))
                return QStringLiteral("ファイル\"%1\"を削除できません。").arg(file);
        const QString bmp = group + QStringLiteral(".bmp");
        if (!b.picture.isNull() && !writeBitmap(dir + bmp, b.picture))
            return QStringLiteral("画像\"%1\"を書き込めません。").arg(bmp);
    }

    if (!WriteFileAtomically(dir + QStringLiteral("info.txt"), infoText(style.info)))
        return QStringLiteral("\"info.txt\"を書き込めません。");
    return QString();
}

} // namespace

QString nameProblem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("作成するスタイルの名称を入力してください。");
    static const QString refusedByOthers = QStringLiteral(":*?\"<>|");
    bool usable = IsSafeName(name) && !name.startsWith(QLatin1Char('.')) && !name.endsWith(QLatin1Char('.'))
                  && !name.back().isSpace();
    for (const QChar c : name)
        usable = usable && !refusedByOthers.contains(c);
    if (usable)
        return QString();
    return QStringLiteral("\"%1\" はスタイルの名称に使えません。\r\n"
                          "「/」「\\」「:」「*」「?」「\"」「<」「>」「|」「..」を含まず、"
                          "「.」で始まらず、「.」や空白で終わらない名前にしてください。")
        .arg(name);
}

bool exists(const QString &styleRoot, const QString &name)
{
    const QFileInfo entry(QDir(styleRoot).filePath(name));
    return entry.exists() || entry.isSymLink();
}

QByteArray infoText(const std::array<QString, 6> &lines)
{
    QByteArray text;
    for (QString line : lines) {
        line.replace(QLatin1String("\r\n"), QLatin1String(" "));
        line.replace(QLatin1Char('\r'), QLatin1Char(' '));
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text += line.toUtf8() + "\r\n";
    }
    return text;
}

Result create(const QString &styleRoot, const NewStyle &style, bool replace)
{
    const QString problem = nameProblem(style.name);
    if (!problem.isEmpty())
        return {Result::Refused, problem};
    const QString root = QDir::cleanPath(styleRoot);
    if (!QDir().mkpath(root))
        return failed(style.name, QStringLiteral("フォルダ\"%1\"を作成できません。").arg(QDir::toNativeSeparators(root)));
    const QString target = root + QLatin1Char('/') + style.name;
    const bool replacing = exists(root, style.name);
    if (replacing && !replace)
        return {Result::Exists, QString()};

    // Hidden names: the style list never shows a folder being built or removed.
    QTemporaryDir staging(root + QStringLiteral("/.velmora-new-XXXXXX"));
    if (!staging.isValid())
        return failed(style.name, QStringLiteral("作業用のフォルダを作成できません。"));
    const QString error = build(staging.path(), style);
    if (!error.isEmpty())
        return failed(style.name, error);
    // Style folders are readable like the ones the program installs, not private.
    QFile::setPermissions(staging.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                              | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);

    const QString cannotPlace = QStringLiteral("フォルダ\"%1\"を置けません。").arg(style.name);
    if (!replacing) {
        if (!QDir().rename(staging.path(), target))
            return failed(style.name, cannotPlace);
        staging.setAutoRemove(false);
        return {Result::Created, QString()};
    }
    QTemporaryDir trash(root + QStringLiteral("/.velmora-old-XXXXXX"));
    if (!trash.isValid())
        return failed(style.name, QStringLiteral("作業用のフォルダを作成できません。"));
    const QString old = trash.path() + QStringLiteral("/old");
    if (!QDir().rename(target, old))
        return failed(style.name, QStringLiteral("スタイル\"%1\"を置き換えられません。").arg(style.name));
    if (!QDir().rename(staging.path(), target)) {
        if (!QDir().rename(old, target)) {
            // The old style stays where it was moved, rather than be lost.
            trash.setAutoRemove(false);
            return failed(style.name, QStringLiteral("元のスタイルは \"%1\" に残っています。")
                                          .arg(QDir::toNativeSeparators(old)));
        }
        return failed(style.name, cannotPlace);
    }
    staging.setAutoRemove(false);
    return {Result::Created, QString()}; // the replaced style goes with `trash`
}

} // namespace StyleCreation

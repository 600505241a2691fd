#include "core/ui/DesktopShell.h"

#include "core/ui/FileManagerBus.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

QString resolvedTarget(const QString &source, const QString &target)
{
    if (target.endsWith(QLatin1Char('/')))
        return target + QFileInfo(source).fileName();
    return target;
}

bool copyFile(const QString &source, const QString &target)
{
    QDir().mkpath(QFileInfo(target).absolutePath());
    // Replace through a temporary name, so a failed copy leaves the old target.
    const QString temp = target + QStringLiteral(".velmora-copy");
    QFile::remove(temp);
    // A copy cut short (a full disk) may leave a part behind: it goes.
    if (!QFile::copy(source, temp) || QFileInfo(temp).size() != QFileInfo(source).size()) {
        QFile::remove(temp);
        return false;
    }
    QFile::remove(target);
    if (!QFile::rename(temp, target)) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

bool copyTree(const QString &source, const QString &target)
{
    const QFileInfo info(source);
    if (info.isSymLink())
        return false;
    if (!info.isDir())
        return copyFile(source, target);
    if (!QDir().mkpath(target))
        return false;
    bool ok = true;
    const QDir dir(source);
    for (const QFileInfo &entry : dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        ok = copyTree(entry.filePath(), target + QLatin1Char('/') + entry.fileName()) && ok;
    return ok;
}

} // namespace

bool DesktopShell::move(const QString &source, const QString &target)
{
    const QString to = resolvedTarget(source, target);
    // The copy below would replace what is there; QFile::rename would refuse.
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        return false;
    QDir().mkpath(QFileInfo(to).absolutePath());
    if (QFile::rename(source, to))
        return true;
    // Across file systems (or out of a folder that keeps its files): copy,
    // then remove the original only when the copy is whole. A move that
    // fails leaves nothing at `to`: no part of a copy, and no second copy of
    // a file that stays where it was.
    const bool isFile = !QFileInfo(source).isDir();
    if (!copyTree(source, to)) {
        if (isFile)
            QFile::remove(to);
        else
            QDir(to).removeRecursively();
        return false;
    }
    if (remove(source, false))
        return true;
    // A folder may have lost some of its files already: then the copy is
    // the only whole one, and stays.
    if (isFile)
        QFile::remove(to);
    return false;
}

bool DesktopShell::copy(const QString &source, const QString &target)
{
    return copyTree(source, resolvedTarget(source, target));
}

bool DesktopShell::remove(const QString &path, bool toTrash)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    // A file the user sent to the trash must be there to be got back: when
    // the trash refuses it (no trash on that file system), it stays.
    if (toTrash) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
        // Qt looks for the home trash without making its parent folders, and
        // when it finds no trash at all it puts "files" and "info" into the
        // working folder. A missing home trash is made first (as the desktop
        // would make it), so the file always lands in a real trash.
        QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                      QStringLiteral("/Trash"));
#endif
        return QFile::moveToTrash(path);
    }
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

bool DesktopShell::openWithAssociatedProgram(const QString &path)
{
    if (IsLauncherFile(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool DesktopShell::openUrl(const QString &url)
{
    const QUrl u(url.trimmed());
    const QString scheme = u.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https") && scheme != QLatin1String("mailto"))
        return false;
    return QDesktopServices::openUrl(u);
}

bool DesktopShell::openFolderOf(const QString &path)
{
    const QFileInfo info(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.isDir() ? path : info.absolutePath()));
}

bool DesktopShell::revealInFileManager(const QString &path)
{
    return FileManagerBus::ask(FileManagerBus::Request::ShowItems, path, [path] { return openFolderOf(path); });
}

bool DesktopShell::showProperties(const QString &path)
{
    return FileManagerBus::ask(FileManagerBus::Request::ShowItemProperties, path,
                               [path] { return openFolderOf(path); });
}

bool DesktopShell::hasFileManager() const
{
    // Qt hands folders to xdg-open; without it nothing opens them.
    return FileManagerBus::present() || !QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty();
}

bool DesktopShell::startProgram(const QString &program, const QString &argument)
{
    if (program.trimmed().isEmpty())
        return false;
    return QProcess::startDetached(program, {argument});
}

void DesktopShell::setClipboardText(const QString &text)
{
    if (QClipboard *clipboard = QGuiApplication::clipboard()) {
        clipboard->clear();
        clipboard->setText(text);
    }
}

#include "core/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QTemporaryFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

QString withSlash(QString path)
{
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

bool isWritableFolder(const QString &folder)
{
    QFileInfo info(folder);
    if (!info.isDir())
        return false;
    // QFileInfo::isWritable() only looks at permission bits; try for real.
    QTemporaryFile probe(withSlash(folder) + QStringLiteral(".velmora-probe-XXXXXX"));
    return probe.open();
}

bool copyTree(const QString &from, const QString &to)
{
    QDir source(from);
    if (!source.exists() || !QDir().mkpath(to))
        return false;
    bool ok = true;
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            continue;
        const QString target = withSlash(to) + source.relativeFilePath(path);
        if (info.isDir())
            ok = QDir().mkpath(target) && ok;
        else if (!QFileInfo::exists(target))
            ok = QFile::copy(path, target) && ok;
    }
    return ok;
}

// True when some folder directly in `styleRoot` holds an ordinary file.
bool holdsAnyStyle(const QString &styleRoot)
{
    const QStringList styles = QDir(styleRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &style : styles) {
        if (!QDir(withSlash(styleRoot) + style).entryList(QDir::Files | QDir::Hidden).isEmpty())
            return true;
    }
    return false;
}

} // namespace

AppPaths::AppPaths(QString programFolder, QString bundleFolder, QString systemTempFolder)
    : m_programFolder(withSlash(std::move(programFolder)))
    , m_bundleFolder(withSlash(bundleFolder.isEmpty() ? m_programFolder : std::move(bundleFolder)))
    , m_systemTempFolder(std::move(systemTempFolder))
{
}

AppPaths AppPaths::resolve(const QString &executableFolder, const QString &homeOverride,
                           const QString &userDataFolder, const QString &installedDataFolder)
{
    const bool installed = !installedDataFolder.isEmpty()
                           && QFileInfo(withSlash(installedDataFolder) + QStringLiteral("Style")).isDir()
                           && !QFileInfo(withSlash(executableFolder) + QStringLiteral("Style")).isDir();
    const QString bundle = installed ? QDir::cleanPath(installedDataFolder) : executableFolder;
    if (!homeOverride.isEmpty())
        return AppPaths(QDir(homeOverride).absolutePath(), bundle);
    if (!installed && isWritableFolder(executableFolder))
        return AppPaths(executableFolder, executableFolder);
    return AppPaths(userDataFolder, bundle);
}

AppPaths AppPaths::forRunningProgram()
{
    const QString exeFolder = QCoreApplication::applicationDirPath();
    const QString home = qEnvironmentVariable("VELMORA_HOME");
    const QString data = QDir::homePath() + QStringLiteral("/.local/share/Velmora");
#ifdef VELMORA_DATA_FROM_BIN
    const QString installed = exeFolder + QStringLiteral("/" VELMORA_DATA_FROM_BIN);
#else
    const QString installed;
#endif
    return resolve(exeFolder, home, data, installed);
}

bool AppPaths::prepare() const
{
    if (!QDir().mkpath(m_programFolder))
        return false;
    QDir().mkpath(playlistFolder()); // skipped on failure: saving a playlist then fails on its own
    const QString bundledStyles = m_bundleFolder + QStringLiteral("Style");
    if (QDir(m_bundleFolder) != QDir(m_programFolder) && !holdsAnyStyle(styleFolder())
        && QFileInfo(bundledStyles).isDir())
        copyTree(bundledStyles, styleFolder()); // skipped on failure: the default style falls back to blank pictures
    return true;
}

QString TempFolder::folderName()
{
#ifdef Q_OS_UNIX
    return QStringLiteral("veltemp-%1").arg(::getuid());
#else
    QString user = qEnvironmentVariable("USERNAME");
    user.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")));
    return user.isEmpty() ? QStringLiteral("veltemp") : QStringLiteral("veltemp-") + user;
#endif
}

QString TempFolder::make(const QString &systemTempFolder)
{
    const QString base = systemTempFolder.isEmpty() ? QDir::tempPath() : systemTempFolder;
    const QString path = withSlash(base) + folderName();
    constexpr QFile::Permissions privateMode = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

    QDir dir;
    if (!QFileInfo(path).isSymLink() && !QFileInfo::exists(path)) {
        // Created with its final permissions in one step, so there is no
        // moment in which another user could slip a file into it.
        if (!dir.mkdir(path, privateMode) && !QFileInfo::exists(path))
            return QString();
    }
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isDir())
        return QString();
#ifdef Q_OS_UNIX
    if (info.ownerId() != ::getuid())
        return QString();
#endif
    if ((info.permissions() & ~privateMode & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser)) != 0
        && !QFile::setPermissions(path, privateMode))
        return QString();
    return withSlash(path);
}

QString TempFolderQuoted(const QString &tempFolderPath)
{
    return QLatin1Char('"') + tempFolderPath + QLatin1Char('"');
}

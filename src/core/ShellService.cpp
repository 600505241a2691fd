#include "core/ShellService.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

bool IsLauncherFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return true;
    if (info.isExecutable())
        return true;

    static const QSet<QString> launcherSuffixes = {
        QStringLiteral("desktop"), QStringLiteral("sh"), QStringLiteral("bash"), QStringLiteral("zsh"),
        QStringLiteral("csh"), QStringLiteral("ksh"), QStringLiteral("fish"), QStringLiteral("py"),
        QStringLiteral("pyw"), QStringLiteral("pl"), QStringLiteral("rb"), QStringLiteral("php"),
        QStringLiteral("js"), QStringLiteral("mjs"), QStringLiteral("jse"), QStringLiteral("vbs"),
        QStringLiteral("vbe"), QStringLiteral("wsf"), QStringLiteral("wsh"), QStringLiteral("ps1"),
        QStringLiteral("psm1"), QStringLiteral("exe"), QStringLiteral("com"), QStringLiteral("bat"),
        QStringLiteral("cmd"), QStringLiteral("scr"), QStringLiteral("pif"), QStringLiteral("msi"),
        QStringLiteral("msp"), QStringLiteral("cpl"), QStringLiteral("hta"), QStringLiteral("lnk"),
        QStringLiteral("url"), QStringLiteral("reg"), QStringLiteral("jar"), QStringLiteral("appimage"),
        QStringLiteral("run"), QStringLiteral("bin"), QStringLiteral("elf"), QStringLiteral("so"),
        QStringLiteral("dll"), QStringLiteral("deb"), QStringLiteral("rpm"), QStringLiteral("apk"),
        QStringLiteral("app"), QStringLiteral("command"), QStringLiteral("tool"), QStringLiteral("workflow"),
        QStringLiteral("applescript"), QStringLiteral("scpt"), QStringLiteral("action"), QStringLiteral("kwinscript"),
        QStringLiteral("service"), QStringLiteral("flatpakref"), QStringLiteral("snap"),
    };
    if (launcherSuffixes.contains(info.suffix().toLower()))
        return true;

    // Scripts and binaries whose name does not say so.
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return true;
    const QByteArray head = f.read(4);
    return head.startsWith("#!") || head == QByteArray("\x7f" "ELF", 4) || head.startsWith("MZ");
}

QString FolderNotShownMessage(const QString &folder)
{
    return QStringLiteral("フォルダ\"%1\"を開けませんでした。\r\nフォルダを表示するファイルマネージャが見つかりません。")
        .arg(folder);
}

QString DocumentNotOpenedMessage(const QString &path)
{
    return QStringLiteral("\"%1\"を開けませんでした。\r\nこの種類のファイルを開くプログラムが見つかりません。")
        .arg(path);
}

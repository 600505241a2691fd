#include "style/Style.h"

#include "core/TextDecoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QUrl>

namespace {

const char *const mainButtonNames[] = {"play", "pause", "stop", "next", "playlist"};
const char *const listButtonNames[] = {"admin", "close", "add", "delete", "select", "etc"};
const char *const stateSuffixes[] = {"_n", "_u", "_d"};
const char *const otherNames[] = {"search.gif", "volume_on.gif", "mute.gif", "volume_bar.gif", "volume_pinch.gif"};
const char *const iconNames[] = {"play_off.bmp", "play_on.bmp", "category_close.bmp", "category_open.bmp",
                                 "playlist_close.bmp", "playlist_open.bmp", "favor_close.bmp", "favor_open.bmp",
                                 "notfound.bmp", "dustbox.bmp"};

bool holdsOrdinaryFile(const QString &folder)
{
    return !QDir(folder).entryList(QDir::Files | QDir::Hidden).isEmpty();
}

// The ".jpg" then the ".bmp" picture of a background pair: the ".bmp" one is
// shown when both exist.
QImage loadBackground(const QString &folder, const QString &baseName)
{
    QImage picture = Style::loadPicture(folder + baseName + QStringLiteral(".jpg"));
    const QImage bmp = Style::loadPicture(folder + baseName + QStringLiteral(".bmp"));
    if (!bmp.isNull())
        picture = bmp;
    return picture;
}

// Icons are bitmaps without transparency; their magenta pixels are the
// transparent ones.
QImage keyedIcon(QImage icon)
{
    if (icon.isNull())
        return icon;
    icon = icon.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < icon.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(icon.scanLine(y));
        for (int x = 0; x < icon.width(); ++x)
            if ((line[x] & 0xFFFFFF) == 0xFF00FF)
                line[x] = 0;
    }
    return icon;
}

} // namespace

QString Style::mainButtonFile(int button, int state)
{
    return QString::fromLatin1(mainButtonNames[button]) + QLatin1String(stateSuffixes[state]) + QStringLiteral(".gif");
}

QString Style::listButtonFile(int button, int state)
{
    return QString::fromLatin1(listButtonNames[button]) + QLatin1String(stateSuffixes[state]) + QStringLiteral(".gif");
}

QString Style::otherFile(int other)
{
    return QString::fromLatin1(otherNames[other]);
}

QString Style::iconFile(int icon)
{
    return QString::fromLatin1(iconNames[icon]);
}

QImage Style::loadPicture(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink())
        return QImage();
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > MaxPictureSide || size.height() > MaxPictureSide)
        return QImage();
    QImage image;
    if (!reader.read(&image))
        return QImage();
    return image;
}

Style Style::LoadStyle(const QString &styleRoot, const QString &name, const QString &bundledStyle)
{
    Style style;
    const QString root = QDir::fromNativeSeparators(styleRoot).endsWith(QLatin1Char('/'))
                             ? styleRoot
                             : styleRoot + QLatin1Char('/');
    QString folder = root + name + QLatin1Char('/');
    // A name with separators or ".." could point anywhere: only plain folder names.
    const bool plainName = !name.isEmpty() && !name.contains(QLatin1Char('/'))
                           && !name.contains(QLatin1Char('\\')) && name != QLatin1String("..")
                           && name != QLatin1String(".");
    QString bundled = bundledStyle;
    if (!bundled.isEmpty() && !bundled.endsWith(QLatin1Char('/')))
        bundled += QLatin1Char('/');
    if (!plainName || !holdsOrdinaryFile(folder))
        folder = root + DefaultName + QLatin1Char('/');
    if (!bundled.isEmpty() && !holdsOrdinaryFile(folder) && holdsOrdinaryFile(bundled))
        folder = bundled;
    style.folder = QFileInfo(folder).isDir() ? folder : QString();
    // Without a button picture the button would have no size: nothing to see or click.
    const bool withFallback = !bundled.isEmpty() && QDir(bundled) != QDir(folder);
    const auto picture = [&](const QString &file) {
        QImage image = loadPicture(folder + file);
        if (image.isNull() && withFallback)
            image = loadPicture(bundled + file);
        return image;
    };

    style.mainBack = loadBackground(folder, QStringLiteral("mainback"));
    style.panelBack = loadBackground(folder, QStringLiteral("panelback"));
    for (int state = 0; state < 3; ++state)
        for (int b = 0; b < MainButtonCount; ++b)
            style.mainButtons[state][b] = picture(mainButtonFile(b, state));
    style.listBack = loadBackground(folder, QStringLiteral("listback"));
    style.viewBack = loadBackground(folder, QStringLiteral("viewback"));
    for (int state = 0; state < 3; ++state)
        for (int b = 0; b < ListButtonCount; ++b)
            style.listButtons[state][b] = picture(listButtonFile(b, state));
    for (int o = 0; o < OtherCount; ++o)
        style.other[o] = picture(otherFile(o));
    for (int i = 0; i < IconCount; ++i)
        style.icons[i] = keyedIcon(picture(iconFile(i)));

    // The description: six lines; what is missing reads "Unknown".
    style.info.fill(QStringLiteral("Unknown"));
    QFile file(folder + QStringLiteral("info.txt"));
    if (file.open(QIODevice::ReadOnly)) {
        const QString text = DecodeText(file.read(64 * 1024));
        QStringList lines = text.split(QLatin1Char('\n'));
        // A final line end does not start another line.
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        for (int i = 0; i < 6 && i < lines.size(); ++i) {
            QString line = lines[i];
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            style.info[std::size_t(i)] = line;
        }
        if (lines.size() > 3)
            style.webLink = webLinkOf(style.info[3]);
        if (lines.size() > 4)
            style.mailLink = mailLinkOf(style.info[4]);
        style.webIsLink = !style.webLink.isEmpty();
        style.mailIsLink = !style.mailLink.isEmpty();
    }
    return style;
}

QString Style::webLinkOf(const QString &line)
{
    const QString text = line.trimmed();
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty())
        return QString();
    return url.toString(QUrl::FullyEncoded);
}

QString Style::mailLinkOf(const QString &line)
{
    static const QRegularExpression plainAddress(QStringLiteral(R"(^[^\s@:/?#&<>"']+@[^\s@:/?#&<>"']+\.[^\s@:/?#&<>"']+$)"));
    const QString text = line.trimmed();
    if (!plainAddress.match(text).hasMatch())
        return QString();
    return QStringLiteral("mailto:") + text;
}

QStringList Style::StyleComboCreate(const QString &styleRoot)
{
    QDir dir(styleRoot);
    return dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

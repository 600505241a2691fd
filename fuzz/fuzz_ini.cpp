// The INI reader and writer on arbitrary bytes: nothing may crash or hang, a
// written key must read back, and a document must read the same after it has
// been written out and parsed again (what makes one batched save equal to a
// sequence of single writes).
#include "settings/IniFile.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

const char *const Sections[] = {"Main", "setting", "Option", "Color", "Font", "", "[", "Junk"};
const char *const Keys[] = {"Top", "left", "MainFontName", "Level1", "", "=", "Name"};

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void checkSameReads(const IniDocument &a, const IniDocument &b)
{
    for (const char *s : Sections) {
        for (const char *k : Keys) {
            const QString section = QString::fromLatin1(s);
            const QString key = QString::fromLatin1(k);
            check(a.value(section, key) == b.value(section, key));
            check(a.readInt(section, key, -7) == b.readInt(section, key, -7));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const IniDocument doc = IniDocument::fromBytes(bytes);
    for (const char *s : Sections)
        for (const char *k : Keys)
            check(doc.readString(QString::fromLatin1(s), QString::fromLatin1(k), QString()).size()
                  <= MaxProfileStringLength);

    // Written out and read back, the document reads the same and is stable.
    const QByteArray once = doc.toBytes();
    const IniDocument reread = IniDocument::fromBytes(once);
    checkSameReads(doc, reread);
    check(reread.toBytes() == once);

    // Writes read back, whatever surrounds them.
    IniDocument edited = doc;
    edited.writeInt(QStringLiteral("Main"), QStringLiteral("Top"), -1234);
    edited.writeLong(QStringLiteral("color"), QStringLiteral("LEVEL1"), -2147483647 - 1);
    edited.writeString(QStringLiteral("Font"), QStringLiteral("MainFontName"), QStringLiteral("ＭＳ Ｐゴシック"));
    edited.writeString(QStringLiteral("Option"), QStringLiteral("SelectFolder"),
                       QString::fromUtf8(bytes.left(64)));
    check(edited.readInt(QStringLiteral("MAIN"), QStringLiteral("top"), 0) == -1234);
    check(edited.readInt(QStringLiteral("Color"), QStringLiteral("Level1"), 0) == -2147483647 - 1);
    check(edited.readString(QStringLiteral("Font"), QStringLiteral("MainFontName"), QString())
          == QStringLiteral("ＭＳ Ｐゴシック"));
    checkSameReads(edited, IniDocument::fromBytes(edited.toBytes()));

    // The same writes one at a time, each on the parsed output of the last.
    IniDocument single = IniDocument::fromBytes(once);
    single.writeInt(QStringLiteral("Main"), QStringLiteral("Top"), -1234);
    single = IniDocument::fromBytes(single.toBytes());
    single.writeLong(QStringLiteral("color"), QStringLiteral("LEVEL1"), -2147483647 - 1);
    single = IniDocument::fromBytes(single.toBytes());
    single.writeString(QStringLiteral("Font"), QStringLiteral("MainFontName"), QStringLiteral("ＭＳ Ｐゴシック"));
    single = IniDocument::fromBytes(single.toBytes());
    single.writeString(QStringLiteral("Option"), QStringLiteral("SelectFolder"), QString::fromUtf8(bytes.left(64)));
    check(single.toBytes() == edited.toBytes());

    // The store's loaders on the same bytes as the settings and colour file.
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Velmora.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(bytes);
    }
    SettingsStore store;
    store.LoadSettings(path, path);
    store.LoadSoundSettings(path);
    store.LoadColumnSettings(path);
    store.LoadResume(path);
    for (const SettingKey &k : settingKeys())
        if (k.kind == SettingKind::Number)
            check(store.value(k.id) >= k.minimum && store.value(k.id) <= k.maximum);
    return 0;
}

// The extraction command line and the member name patterns on arbitrary
// bytes: must not crash or hang, the pattern made for a name must select
// that name, and the command line the player builds must read back as built.
#include "archive/MemberNames.h"
#include "archive/ZipOperations.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A pattern or command line, a newline, then the stored bytes of a name.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype newline = bytes.indexOf('\n');
    const QString text = QString::fromUtf8(newline < 0 ? bytes : bytes.left(newline));
    const QString name = decodeMemberName(newline < 0 ? bytes : bytes.mid(newline + 1));

    if (const auto cmd = parseExtractCommand(text)) {
        if (cmd->archive.isEmpty() || cmd->destination.isEmpty() || cmd->patterns.isEmpty())
            std::abort();
    }
    matchNamePattern(text, name);

    if (isSafeMemberName(name)) {
        const QString relative = memberRelativePath(name);
        if (relative.startsWith(u'/') || relative.split(u'/').contains(QStringLiteral("..")))
            std::abort();
    }
    if (name.isEmpty())
        return 0;
    const QString pattern = ZipPatternEscape(name);
    if (!matchNamePattern(pattern, name))
        std::abort();
    const QString commandLine = QStringLiteral(R"(-x --i -o "/music/set.zip" "/tmp/veltemp/" ")") + pattern + u'"';
    const auto cmd = parseExtractCommand(commandLine);
    if (!cmd || !cmd->extract || !cmd->overwrite || !cmd->quiet || cmd->archive != u"/music/set.zip"
        || cmd->destination != u"/tmp/veltemp/" || cmd->patterns != QStringList{pattern})
        std::abort();
    return 0;
}

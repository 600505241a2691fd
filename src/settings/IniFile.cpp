#include "settings/IniFile.h"

#include "core/AtomicFile.h"
#include "core/TextDecoding.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace {

bool isBlank(QChar c)
{
    // Only ASCII white space: an ideographic space belongs to the value.
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\v' || u == u'\f';
}

QStringView trimmed(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.mid(begin, end - begin);
}

QString folded(QStringView name)
{
    return trimmed(name).toString().toCaseFolded();
}

QString limitLength(QStringView s)
{
    if (s.size() <= MaxProfileStringLength)
        return s.toString();
    qsizetype n = MaxProfileStringLength;
    if (s[n - 1].isHighSurrogate())
        --n; // never hand out half a character
    return s.left(n).toString();
}

// The text a line may hold: cut at the first line end or NUL.
QString storableText(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u == u'\r' || u == u'\n' || u == 0)
            return text.left(i);
    }
    return text;
}

int leadingNumber(QStringView s)
{
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qsizetype i = 0;
    const bool negative = i < s.size() && s[i] == u'-';
    if (negative)
        ++i;
    qint64 value = 0;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i)
        value = std::min(limit, value * 10 + (s[i].unicode() - u'0'));
    if (negative)
        return int(std::max(-value, qint64(std::numeric_limits<int>::min())));
    return int(std::min(value, qint64(std::numeric_limits<int>::max())));
}

} // namespace

IniDocument::Line IniDocument::parseLine(QString text)
{
    Line line;
    line.text = std::move(text);
    const QStringView view(line.text);
    qsizetype first = 0;
    while (first < view.size() && isBlank(view[first]))
        ++first;
    if (first < view.size() && view[first] == u'[') {
        // A "[" without "]" is neither a section nor a key.
        const qsizetype close = view.indexOf(u']', first + 1);
        if (close >= 0) {
            line.kind = LineKind::Section;
            line.foldedName = folded(view.mid(first + 1, close - first - 1));
        }
        return line;
    }
    const qsizetype equals = view.indexOf(u'=');
    if (equals >= 0) {
        line.kind = LineKind::Key;
        line.equals = equals;
        line.foldedName = folded(view.left(equals));
    }
    return line;
}

IniDocument IniDocument::fromBytes(const QByteArray &bytes)
{
    IniDocument doc;
    QString text = DecodeText(bytes);
    // The decoder drops one byte-order mark; drop any further ones too, so
    // that a document reads the same after it has been written and read back.
    qsizetype start = 0;
    while (start < text.size() && text[start].unicode() == 0xFEFF)
        ++start;

    const qsizetype n = text.size();
    qsizetype lineStart = start;
    for (qsizetype i = start; i < n; ++i) {
        const char16_t u = text[i].unicode();
        if (u != u'\r' && u != u'\n')
            continue;
        doc.m_lines.append(parseLine(text.mid(lineStart, i - lineStart)));
        if (u == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < n)
        doc.m_lines.append(parseLine(text.mid(lineStart)));
    doc.rebuildSections();
    return doc;
}

IniDocument IniDocument::fromFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return IniDocument();

    IniDocument unreadable;
    unreadable.m_origin = Origin::Unreadable;
    // Special files (pipes, devices) could block or never end.
    if (!info.isFile() || info.size() > MaxProfileFileSize)
        return unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable;
    const QByteArray bytes = file.read(MaxProfileFileSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > MaxProfileFileSize)
        return unreadable;

    IniDocument doc = fromBytes(bytes);
    doc.m_fileBytes = bytes;
    doc.m_origin = Origin::Read;
    return doc;
}

void IniDocument::rebuildSections()
{
    m_sections.clear();
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == LineKind::Section)
            m_sections.append({m_lines[i].foldedName, i});
}

qsizetype IniDocument::findSection(QStringView section) const
{
    const QString name = folded(section);
    for (qsizetype s = 0; s < m_sections.size(); ++s)
        if (m_sections[s].foldedName == name)
            return s;
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype sectionIndex) const
{
    return sectionIndex + 1 < m_sections.size() ? m_sections[sectionIndex + 1].header : m_lines.size();
}

qsizetype IniDocument::findKeyLine(qsizetype sectionIndex, QStringView key) const
{
    const QString name = folded(key);
    const qsizetype end = sectionEnd(sectionIndex);
    for (qsizetype i = m_sections[sectionIndex].header + 1; i < end; ++i)
        if (m_lines[i].kind == LineKind::Key && m_lines[i].foldedName == name)
            return i;
    return -1;
}

const IniDocument::Line *IniDocument::findKey(QStringView section, QStringView key) const
{
    const qsizetype s = findSection(section);
    if (s < 0)
        return nullptr;
    const qsizetype k = findKeyLine(s, key);
    return k < 0 ? nullptr : &m_lines[k];
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const
{
    const Line *line = findKey(section, key);
    if (!line)
        return std::nullopt;
    QStringView v = QStringView(line->text).mid(line->equals + 1);
    const qsizetype nul = v.indexOf(QChar(0));
    if (nul >= 0)
        v = v.left(nul);
    v = trimmed(v);
    if (v.size() >= 2 && v.front() == u'"' && v.back() == u'"')
        v = v.mid(1, v.size() - 2);
    return limitLength(v);
}

int IniDocument::readInt(QStringView section, QStringView key, int defaultValue) const
{
    const std::optional<QString> v = value(section, key);
    return v ? leadingNumber(*v) : defaultValue;
}

QString IniDocument::readString(QStringView section, QStringView key, const QString &defaultValue) const
{
    return value(section, key).value_or(defaultValue);
}

void IniDocument::writeInt(const QString &section, const QString &key, qint16 value)
{
    setValue(section, key, QString::number(value));
}

void IniDocument::writeLong(const QString &section, const QString &key, qint32 value)
{
    setValue(section, key, QString::number(value));
}

void IniDocument::writeString(const QString &section, const QString &key, const QString &text)
{
    setValue(section, key, storableText(text));
}

void IniDocument::setValue(const QString &section, const QString &key, const QString &text)
{
    const qsizetype s = findSection(section);
    if (s < 0) {
        m_sections.append({folded(section), m_lines.size()});
        m_lines.append(parseLine(QLatin1Char('[') + section + QLatin1Char(']')));
        m_lines.append(parseLine(key + QLatin1Char('=') + text));
        return;
    }
    const qsizetype k = findKeyLine(s, key);
    if (k >= 0) {
        Line &line = m_lines[k];
        const QString name = trimmed(QStringView(line.text).left(line.equals)).toString();
        line = parseLine(name + QLatin1Char('=') + text);
        return;
    }
    // After the section's last non-blank line, so blank separator lines stay
    // between the sections.
    const qsizetype header = m_sections[s].header;
    qsizetype insertAt = header + 1;
    for (qsizetype i = sectionEnd(s) - 1; i > header; --i) {
        if (!trimmed(m_lines[i].text).isEmpty()) {
            insertAt = i + 1;
            break;
        }
    }
    m_lines.insert(insertAt, parseLine(key + QLatin1Char('=') + text));
    for (SectionRef &ref : m_sections)
        if (ref.header >= insertAt)
            ++ref.header;
}

QByteArray IniDocument::toBytes() const
{
    QString text;
    qsizetype size = 0;
    for (const Line &line : m_lines)
        size += line.text.size() + 2;
    text.reserve(size);
    for (const Line &line : m_lines) {
        text += line.text;
        text += QLatin1String("\r\n");
    }
    return text.toUtf8();
}

bool IniDocument::save(const QString &path) const
{
    if (m_origin == Origin::Unreadable)
        return false;
    const QByteArray bytes = toBytes();
    if (m_origin == Origin::Read && bytes == m_fileBytes)
        return true;
    return WriteFileAtomically(path, bytes);
}

int ReadProfileInt(const QString &section, const QString &key, int defaultValue, const QString &iniPath)
{
    return IniDocument::fromFile(iniPath).readInt(section, key, defaultValue);
}

QString ReadProfileString(const QString &section, const QString &key, const QString &defaultValue,
                          const QString &iniPath)
{
    return IniDocument::fromFile(iniPath).readString(section, key, defaultValue);
}

bool WriteProfileInt(const QString &section, const QString &key, qint16 value, const QString &iniPath)
{
    IniDocument doc = IniDocument::fromFile(iniPath);
    if (doc.origin() == IniDocument::Origin::Unreadable)
        return false;
    doc.writeInt(section, key, value);
    return doc.save(iniPath);
}

bool WriteProfileLong(const QString &section, const QString &key, qint32 value, const QString &iniPath)
{
    IniDocument doc = IniDocument::fromFile(iniPath);
    if (doc.origin() == IniDocument::Origin::Unreadable)
        return false;
    doc.writeLong(section, key, value);
    return doc.save(iniPath);
}

bool WriteProfileString(const QString &section, const QString &key, const QString &value,
                        const QString &iniPath)
{
    IniDocument doc = IniDocument::fromFile(iniPath);
    if (doc.origin() == IniDocument::Origin::Unreadable)
        return false;
    doc.writeString(section, key, value);
    return doc.save(iniPath);
}

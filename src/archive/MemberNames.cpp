#include "archive/MemberNames.h"

#include <QList>
#include <QStringDecoder>
#include <vector>

namespace {

bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

// One element of a compiled pattern.
struct PatternItem {
    enum Kind { Literal, AnyOne, AnyRun, Set } kind = Literal;
    char32_t ch = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;

    bool matches(char32_t c) const
    {
        switch (kind) {
        case Literal: return c == ch;
        case AnyOne: return true;
        case AnyRun: return true;
        case Set: {
            bool inSet = false;
            for (const auto &r : ranges) {
                if (c >= r.first && c <= r.second) {
                    inSet = true;
                    break;
                }
            }
            return inSet != negated;
        }
        }
        return false;
    }
};

// Parses "[...]" starting after the "[" at `i`; returns the index after "]"
// or -1 when the set is not closed (the "[" is then a literal).
qsizetype parseSet(const QList<uint> &p, qsizetype i, PatternItem &item)
{
    item.kind = PatternItem::Set;
    if (i < p.size() && (p[i] == '!' || p[i] == '^')) {
        item.negated = true;
        ++i;
    }
    bool first = true;
    while (i < p.size()) {
        char32_t c = p[i];
        if (c == ']' && !first)
            return i + 1;
        first = false;
        if (c == '\\' && i + 1 < p.size())
            c = p[++i];
        ++i;
        char32_t hi = c;
        if (i + 1 < p.size() && p[i] == '-' && p[i + 1] != ']') {
            hi = p[i + 1];
            if (hi == '\\' && i + 2 < p.size()) {
                hi = p[i + 2];
                ++i;
            }
            i += 2;
        }
        item.ranges.emplace_back(c, hi);
    }
    return -1;
}

std::vector<PatternItem> compilePattern(QStringView pattern)
{
    const QList<uint> p = pattern.toUcs4();
    std::vector<PatternItem> items;
    for (qsizetype i = 0; i < p.size();) {
        PatternItem item;
        const char32_t c = p[i];
        if (c == '*') {
            item.kind = PatternItem::AnyRun;
            ++i;
            if (!items.empty() && items.back().kind == PatternItem::AnyRun)
                continue; // "**" is the same as "*"
        } else if (c == '?') {
            item.kind = PatternItem::AnyOne;
            ++i;
        } else if (c == '\\' && i + 1 < p.size()) {
            item.ch = p[i + 1];
            i += 2;
        } else if (c == '[') {
            const qsizetype end = parseSet(p, i + 1, item);
            if (end < 0) {
                item = PatternItem();
                item.ch = c;
                ++i;
            } else {
                i = end;
            }
        } else {
            item.ch = c;
            ++i;
        }
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace

QString decodeMemberName(const QByteArray &raw)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString name = utf8(raw);
    if (utf8.hasError()) {
        QStringDecoder cp932("CP932", QStringDecoder::Flag::Stateless);
        if (cp932.isValid()) {
            const QString decoded = cp932(raw);
            if (!cp932.hasError())
                name = decoded;
        }
    }
    if (name.contains(u'\\') && !name.contains(u'/'))
        name.replace(u'\\', u'/');
    return name;
}

bool isSafeMemberName(QStringView name)
{
    if (name.isEmpty() || isSeparator(name.front()))
        return false;
    if (name.size() >= 2 && name[1] == u':' && name[0].isLetter())
        return false;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i == name.size() || isSeparator(name[i])) {
            if (name.sliced(start, i - start) == u"..")
                return false;
            start = i + 1;
        }
    }
    return true;
}

QString memberRelativePath(QStringView name)
{
    QString path = name.toString();
    path.replace(u'\\', u'/');
    return path;
}

bool matchNamePattern(QStringView pattern, QStringView name)
{
    const std::vector<PatternItem> items = compilePattern(pattern);
    const QList<uint> s = name.toUcs4();
    // Greedy match that backtracks only to the most recent "*": linear in
    // practice, O(pattern × name) at worst, never exponential.
    size_t pi = 0;
    qsizetype si = 0;
    size_t starItem = size_t(-1);
    qsizetype starText = 0;
    while (si < s.size()) {
        if (pi < items.size() && items[pi].kind == PatternItem::AnyRun) {
            starItem = pi++;
            starText = si;
        } else if (pi < items.size() && items[pi].matches(s[si])) {
            ++pi;
            ++si;
        } else if (starItem != size_t(-1)) {
            pi = starItem + 1;
            si = ++starText;
        } else {
            return false;
        }
    }
    while (pi < items.size() && items[pi].kind == PatternItem::AnyRun)
        ++pi;
    return pi == items.size();
}

std::optional<ExtractCommand> parseExtractCommand(const QString &commandLine)
{
    ExtractCommand cmd;
    QStringList positional;
    bool seenX = false, seenO = false, seenI = false;
    const qsizetype n = commandLine.size();
    qsizetype i = 0;
    while (true) {
        while (i < n && commandLine[i] == u' ')
            ++i;
        if (i >= n)
            break;
        if (commandLine[i] == u'"') {
            // The closing quote is the next one that ends the part (followed
            // by a space or the end), so names holding a quote stay whole.
            qsizetype close = commandLine.indexOf(u'"', i + 1);
            while (close >= 0 && close + 1 < n && commandLine[close + 1] != u' ')
                close = commandLine.indexOf(u'"', close + 1);
            if (close < 0)
                return std::nullopt;
            positional << commandLine.mid(i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        qsizetype end = commandLine.indexOf(u' ', i);
        if (end < 0)
            end = n;
        const QString token = commandLine.mid(i, end - i);
        i = end;
        if (token.startsWith(u'-') && positional.isEmpty()) {
            bool *seen = token == u"-x" ? &seenX : token == u"-o" ? &seenO : token == u"--i" ? &seenI : nullptr;
            if (!seen || *seen)
                return std::nullopt;
            *seen = true;
            continue;
        }
        positional << token;
    }
    if (positional.size() < 3)
        return std::nullopt;
    cmd.extract = seenX;
    cmd.overwrite = seenO;
    cmd.quiet = seenI;
    cmd.archive = positional.takeFirst();
    cmd.destination = positional.takeFirst();
    cmd.patterns = positional;
    if (cmd.archive.isEmpty() || cmd.destination.isEmpty())
        return std::nullopt;
    return cmd;
}

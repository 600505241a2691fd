#include "playlist/WildcardPattern.h"

#include <utility>

WildcardPattern::WildcardPattern(QStringView pattern)
{
    const qsizetype n = pattern.size();
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = pattern[i].unicode();
        switch (c) {
        case u'*':
            // Runs of "*" are one "*": the matcher then backtracks over one token.
            if (m_tokens.empty() || m_tokens.back().kind != Kind::AnyRun)
                m_tokens.push_back({Kind::AnyRun});
            ++i;
            continue;
        case u'?':
            m_tokens.push_back({Kind::AnyOne});
            ++i;
            continue;
        case u'#':
            m_tokens.push_back({Kind::Digit});
            ++i;
            continue;
        case u'[': {
            const qsizetype next = parseList(pattern, i);
            if (next >= 0) {
                i = next;
                continue;
            }
            break; // not a valid list: the "[" is itself
        }
        default:
            break;
        }
        m_tokens.push_back({Kind::Literal, false, LowerUnit(c)});
        ++i;
    }
}

qsizetype WildcardPattern::parseList(QStringView pattern, qsizetype at)
{
    qsizetype i = at + 1;
    bool negated = false;
    if (i < pattern.size() && pattern[i] == u'!') {
        negated = true;
        ++i;
    }
    const qsizetype close = pattern.indexOf(u']', i);
    if (close < 0)
        return -1;
    const QStringView body = pattern.mid(i, close - i);
    if (body.isEmpty()) {
        // "[]" matches the empty run (no token); "[!]" any one character.
        if (negated)
            m_tokens.push_back({Kind::AnyOne});
        return close + 1;
    }

    std::vector<Range> ranges;
    for (qsizetype j = 0; j < body.size();) {
        const char16_t first = body[j].unicode();
        if (j + 2 < body.size() && body[j + 1] == u'-') {
            const char16_t last = body[j + 2].unicode();
            if (last < first)
                return -1;
            char16_t lo = LowerUnit(first);
            char16_t hi = LowerUnit(last);
            if (hi < lo)
                std::swap(lo, hi);
            ranges.push_back({lo, hi});
            j += 3;
        } else {
            // A "-" first or last in the list is itself.
            const char16_t lower = LowerUnit(first);
            ranges.push_back({lower, lower});
            ++j;
        }
    }
    Token t{Kind::List, negated};
    t.list = int(m_ranges.size());
    t.listSize = int(ranges.size());
    m_ranges.insert(m_ranges.end(), ranges.begin(), ranges.end());
    m_tokens.push_back(t);
    return close + 1;
}

bool WildcardPattern::tokenMatches(const Token &t, char16_t lower) const
{
    switch (t.kind) {
    case Kind::Literal:
        return t.ch == lower;
    case Kind::AnyOne:
        return true;
    case Kind::Digit:
        return QChar(lower).isDigit();
    case Kind::List: {
        bool in = false;
        for (int r = t.list; r < t.list + t.listSize && !in; ++r)
            in = lower >= m_ranges[size_t(r)].first && lower <= m_ranges[size_t(r)].last;
        return in != t.negated;
    }
    case Kind::AnyRun:
        break;
    }
    return false;
}

bool WildcardPattern::matches(QStringView text) const
{
    // Every token but "*" takes exactly one character, so remembering the
    // last "*" and retrying one character further on is enough: the first
    // match found this way exists whenever any match does.
    const size_t m = m_tokens.size();
    const qsizetype n = text.size();
    size_t p = 0;
    qsizetype i = 0;
    size_t starToken = size_t(-1);
    qsizetype starText = 0;
    while (i < n) {
        if (p < m && m_tokens[p].kind == Kind::AnyRun) {
            starToken = p++;
            starText = i;
            continue;
        }
        if (p < m && tokenMatches(m_tokens[p], LowerUnit(text[i].unicode()))) {
            ++p;
            ++i;
            continue;
        }
        if (starToken == size_t(-1))
            return false;
        p = starToken + 1;
        i = ++starText;
    }
    while (p < m && m_tokens[p].kind == Kind::AnyRun)
        ++p;
    return p == m;
}

#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// A pattern of the search box, compiled once and matched against many texts.
//
//   *        any run of characters, the empty run included
//   ?        any one character
//   #        any one decimal digit
//   [list]   any one character of the list; "a-z" inside is a range
//   [!list]  any one character not in the list
//   other    the character itself
//
// Letter case is ignored: both sides are compared in lower case. A pattern
// is never refused: a "[" without its "]", or one whose list holds a
// descending range ("[z-a]"), stands for the character "[" itself, and what
// follows it keeps its meaning. "[]" matches the empty run, "[!]" any one
// character. Characters are UTF-16 code units.
class WildcardPattern
{
public:
    explicit WildcardPattern(QStringView pattern);

    // True when the whole of `text` matches the whole pattern.
    bool matches(QStringView text) const;

private:
    enum class Kind : quint8 { Literal, AnyRun, AnyOne, Digit, List };
    struct Token {
        Kind kind;
        bool negated = false; // List: "[!...]"
        char16_t ch = 0;      // Literal: the lower-case character
        int list = 0;         // List: index into m_ranges' first entry of the list
        int listSize = 0;     // List: number of ranges
    };
    struct Range {
        char16_t first;
        char16_t last;
    };

    bool tokenMatches(const Token &t, char16_t lower) const;
    // Parses "[...]" at `pattern[at]`; returns the index after "]", or -1
    // when the list is not valid.
    qsizetype parseList(QStringView pattern, qsizetype at);

    std::vector<Token> m_tokens;
    std::vector<Range> m_ranges;
};

// `c` in lower case (one UTF-16 code unit), with a short way for ASCII.
inline char16_t LowerUnit(char16_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return QChar(c).toLower().unicode();
}

#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <limits>

// One track of the open playlist: a path (a file path or an
// ArchiveMemberPath), seven cells, an icon, a text colour and a selection flag.
//
// The row is kept compact, because lists hold up to 100,000 of them: the
// path and the texts of Title, Artist, Time, BitRate and Extension share one
// string; No is a number and Date a time stamp, both turned into text only
// when shown.
class TrackRow
{
public:
    // Cells by their number; column c of the list shows cell c (column 0 is the path).
    enum Cell { NoCell = 1, TitleCell, ArtistCell, TimeCell, BitRateCell, DateCell, ExtensionCell };
    // Icon indexes into the shared image list of row icons.
    enum Icon { NoIcon = 0, IdleIcon = 1, PlayingIcon = 2, FailedIcon = 9 };
    static constexpr qint64 NoDate = std::numeric_limits<qint64>::min();

    TrackRow() = default;
    // A row with `path`, empty cells, `color` (0x00BBGGRR) and `icon`.
    explicit TrackRow(QStringView path, quint32 color = 0, int icon = IdleIcon);
    // A row with its texts set at once (one allocation).
    TrackRow(QStringView path, QStringView title, QStringView artist, QStringView time, QStringView bitRate,
             QStringView extension, quint32 color, int icon = IdleIcon);

    QStringView path() const { return field(PathField); }
    QStringView title() const { return field(TitleField); }
    QStringView artist() const { return field(ArtistField); }
    QStringView time() const { return field(TimeField); }
    QStringView bitRate() const { return field(BitRateField); }
    QStringView extension() const { return field(ExtensionField); }
    // The No cell's value; 0 while the cell is empty.
    int number() const { return m_number; }
    // The Date cell as seconds since 1970, or NoDate while the cell is empty.
    qint64 date() const { return m_date; }

    // The text of cell 1..7 as the list shows it; empty for other numbers.
    QString cellText(int cell) const;

    void setPath(QStringView path);
    // Sets cell 2..7 from text (Date must be "yyyy/mm/dd hh:nn:ss" or empty);
    // No is set with setNumber(). Other cell numbers are ignored.
    void setCellText(int cell, QStringView text);
    // Title, Artist, Time and BitRate at once (one repacking of the texts).
    void setInfo(QStringView title, QStringView artist, QStringView time, QStringView bitRate);
    void setTitle(QStringView title) { setField(TitleField, title); }
    void setExtension(QStringView extension) { setField(ExtensionField, extension); }
    void setNumber(int number) { m_number = number; }
    void setDate(qint64 secondsSinceEpoch) { m_date = secondsSinceEpoch; }

    quint32 color() const { return m_color; }
    void setColor(quint32 color) { m_color = color; }
    int icon() const { return m_icon; }
    void setIcon(int icon) { m_icon = static_cast<quint8>(icon); }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }

private:
    enum Field { PathField, TitleField, ArtistField, TimeField, BitRateField, ExtensionField, FieldCount };

    QStringView field(int f) const;
    void setField(int f, QStringView value);
    // Rebuilds the packed text from six views (which may point into it).
    void pack(const QStringView (&fields)[FieldCount]);

    // Ordered so that the row packs into 64 bytes.
    QString m_text;                       // the six texts back to back
    quint32 m_end[FieldCount - 1] = {};   // end offsets of the first five texts
    qint32 m_number = 0;
    qint64 m_date = NoDate;
    quint32 m_color = 0;
    quint8 m_icon = IdleIcon;
    bool m_selected = false;
};

#include "playlist/TrackRow.h"

#include "playlist/PathNames.h"

#include <QDateTime>

TrackRow::TrackRow(QStringView path, quint32 color, int icon)
    : m_text(path.toString()), m_color(color), m_icon(static_cast<quint8>(icon))
{
    for (quint32 &e : m_end)
        e = static_cast<quint32>(m_text.size());
}

TrackRow::TrackRow(QStringView path, QStringView title, QStringView artist, QStringView time, QStringView bitRate,
                   QStringView extension, quint32 color, int icon)
    : m_color(color), m_icon(static_cast<quint8>(icon))
{
    const QStringView fields[FieldCount] = {path, title, artist, time, bitRate, extension};
    pack(fields);
}

QStringView TrackRow::field(int f) const
{
    const qsizetype start = f == 0 ? 0 : m_end[f - 1];
    const qsizetype end = f < FieldCount - 1 ? m_end[f] : m_text.size();
    return QStringView(m_text).mid(start, end - start);
}

void TrackRow::pack(const QStringView (&fields)[FieldCount])
{
    qsizetype total = 0;
    for (const QStringView &v : fields)
        total += v.size();
    QString text;
    text.reserve(total);
    for (int f = 0; f < FieldCount; ++f) {
        text += fields[f];
        if (f < FieldCount - 1)
            m_end[f] = static_cast<quint32>(text.size());
    }
    m_text = std::move(text);
}

void TrackRow::setField(int f, QStringView value)
{
    QStringView fields[FieldCount];
    for (int i = 0; i < FieldCount; ++i)
        fields[i] = field(i);
    fields[f] = value;
    pack(fields);
}

void TrackRow::setPath(QStringView path)
{
    setField(PathField, path);
}

void TrackRow::setInfo(QStringView title, QStringView artist, QStringView time, QStringView bitRate)
{
    const QStringView fields[FieldCount] = {field(PathField), title, artist, time, bitRate,
                                            field(ExtensionField)};
    pack(fields);
}

QString TrackRow::cellText(int cell) const
{
    switch (cell) {
    case NoCell:
        return m_number ? QString::number(m_number) : QString();
    case TitleCell:
        return title().toString();
    case ArtistCell:
        return artist().toString();
    case TimeCell:
        return time().toString();
    case BitRateCell:
        return bitRate().toString();
    case DateCell:
        return m_date == NoDate ? QString() : FormatFileDate(m_date);
    case ExtensionCell:
        return extension().toString();
    default:
        return QString();
    }
}

void TrackRow::setCellText(int cell, QStringView text)
{
    switch (cell) {
    case TitleCell:
        setField(TitleField, text);
        break;
    case ArtistCell:
        setField(ArtistField, text);
        break;
    case TimeCell:
        setField(TimeField, text);
        break;
    case BitRateCell:
        setField(BitRateField, text);
        break;
    case DateCell: {
        const QDateTime t = QDateTime::fromString(text.toString(), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        m_date = t.isValid() ? t.toSecsSinceEpoch() : NoDate;
        break;
    }
    case ExtensionCell:
        setField(ExtensionField, text);
        break;
    default:
        break;
    }
}

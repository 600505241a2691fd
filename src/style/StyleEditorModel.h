#pragma once

#include "style/StyleCreation.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

class MessageService;

// The style editor's logic, without widgets: the picture rows with their
// labels, the backgrounds the new style gets (shown at once on the real
// windows through backgroundsChanged), and the creation with its questions
// and messages. UI thread only.
class StyleEditorModel : public QObject
{
    Q_OBJECT
public:
    // The picture rows: three of the main window, three of the playlist window.
    enum Row { MainBack, MainDisplay, MainBoth, ListBack, ListView, ListBoth, RowCount };

    static inline const QString Nothing = QStringLiteral("Nothing...");

    // `sourceName` is the current style's name (the style list's text),
    // `sourceFolder` the folder its pictures came from, `current` the
    // backgrounds the windows show now: the new style starts with them.
    StyleEditorModel(MessageService &messages, QString styleRoot, QString sourceName, QString sourceFolder,
                     const StyleBackgrounds &current, QObject *parent = nullptr);

    // "コピー ～ " and the current style's name.
    QString defaultName() const;

    // The file-name label of a row: the picked file's name without folder
    // and extension, or "Nothing...".
    QString label(Row row) const { return m_labels[std::size_t(row)]; }
    const StyleBackgrounds &backgrounds() const { return m_backgrounds; }

    // The picture dialog of `row` returned `path` (empty: cancelled, nothing
    // changes). The row's target (both targets for a "両方同時" row) takes
    // the picture; a file that is not a readable picture is refused with a
    // message. True when something changed.
    bool pick(Row row, const QString &path);
    // The row's target (or both) loses its picture.
    void clear(Row row);

    // Create: the current style's files with these backgrounds and `info`
    // under `name`. An unusable name is refused with a message; an existing
    // style is replaced only when the user agrees; a failure says what
    // failed. Returns the name created under, or nothing.
    std::optional<QString> create(const QString &name, const std::array<QString, 6> &info);

Q_SIGNALS:
    // The backgrounds changed; `mainWindow` tells which window's.
    void backgroundsChanged(bool mainWindow);

private:
    void setTarget(Row row, const QImage &picture);

    MessageService &m_messages;
    QString m_styleRoot;
    QString m_sourceName;
    QString m_sourceFolder;
    StyleBackgrounds m_backgrounds;
    std::array<QString, RowCount> m_labels;
};

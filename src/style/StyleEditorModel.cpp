#include "style/StyleEditorModel.h"

#include "core/MessageService.h"
#include "core/SafeName.h"
#include "style/Style.h"

#include <QFileInfo>

namespace {

using Row = StyleEditorModel::Row;

bool isMain(Row row)
{
    return row <= StyleEditorModel::MainBoth;
}

Row bothRowOf(Row row)
{
    return isMain(row) ? StyleEditorModel::MainBoth : StyleEditorModel::ListBoth;
}

} // namespace

StyleEditorModel::StyleEditorModel(MessageService &messages, QString styleRoot, QString sourceName,
                                   QString sourceFolder, const StyleBackgrounds &current, QObject *parent)
    : QObject(parent)
    , m_messages(messages)
    , m_styleRoot(std::move(styleRoot))
    , m_sourceName(std::move(sourceName))
    , m_sourceFolder(std::move(sourceFolder))
    , m_backgrounds(current)
{
    m_labels.fill(Nothing);
}

QString StyleEditorModel::defaultName() const
{
    return QStringLiteral("コピー ～ ") + m_sourceName;
}

void StyleEditorModel::setTarget(Row row, const QImage &picture)
{
    switch (row) {
    case MainBack:
        m_backgrounds.mainBack = picture;
        break;
    case MainDisplay:
        m_backgrounds.panelBack = picture;
        break;
    case MainBoth:
        m_backgrounds.mainBack = m_backgrounds.panelBack = picture;
        break;
    case ListBack:
        m_backgrounds.listBack = picture;
        break;
    case ListView:
        m_backgrounds.viewBack = picture;
        break;
    case ListBoth:
        m_backgrounds.listBack = m_backgrounds.viewBack = picture;
        break;
    case RowCount:
        break;
    }
}

bool StyleEditorModel::pick(Row row, const QString &path)
{
    if (path.isEmpty())
        return false;
    const QImage picture = Style::loadPicture(path);
    if (picture.isNull()) {
        m_messages.ShowMessage(false, QStringLiteral("画像\"%1\"を読み込めません。").arg(QFileInfo(path).fileName()),
                               MessageService::Exclamation);
        return false;
    }
    setTarget(row, picture);
    const QString name = QFileInfo(path).completeBaseName();
    const Row both = bothRowOf(row);
    if (row == both) {
        for (int r = both - 2; r <= both; ++r)
            m_labels[std::size_t(r)] = name;
    } else {
        m_labels[std::size_t(row)] = name;
        m_labels[std::size_t(both)] = Nothing;
    }
    Q_EMIT backgroundsChanged(isMain(row));
    return true;
}

void StyleEditorModel::clear(Row row)
{
    setTarget(row, QImage());
    const Row both = bothRowOf(row);
    if (row == both) {
        for (int r = both - 2; r <= both; ++r)
            m_labels[std::size_t(r)] = Nothing;
    } else {
        m_labels[std::size_t(row)] = Nothing;
        m_labels[std::size_t(both)] = Nothing;
    }
    Q_EMIT backgroundsChanged(isMain(row));
}

std::optional<QString> StyleEditorModel::create(const QString &name, const std::array<QString, 6> &info)
{
    const NewStyle style{TypedName(name), m_sourceFolder, m_backgrounds, info};
    using Result = StyleCreation::Result;
    Result result = StyleCreation::create(m_styleRoot, style, false);
    if (result.status == Result::Exists) {
        const QString question = QStringLiteral("スタイル\"%1\"は既にあります。\r\n上書きしますか？").arg(style.name);
        if (m_messages.ShowMessage(true, question, MessageService::YesNo | MessageService::Question)
            != MessageService::Yes)
            return std::nullopt;
        result = StyleCreation::create(m_styleRoot, style, true);
    }
    switch (result.status) {
    case Result::Created:
        return style.name;
    case Result::Refused:
        m_messages.ShowMessage(false, result.message, MessageService::Exclamation);
        return std::nullopt;
    case Result::Failed:
        m_messages.ShowMessage(false, result.message, MessageService::Critical);
        return std::nullopt;
    case Result::Exists:
        break;
    }
    return std::nullopt;
}

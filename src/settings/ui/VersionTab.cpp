#include "settings/ui/VersionTab.h"

#include "settings/ui/LinkLabel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

VersionTab::VersionTab(SettingsDialogModel &model, QWidget *parent)
    : SettingsTab(model, parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 14);
    layout->setSpacing(4);
    m_title = new QLabel(QStringLiteral("Velmora β Build "));
    m_title->setObjectName(QStringLiteral("lblTitleName"));
    QFont big = m_title->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    m_title->setFont(big);
    m_date = new QLabel(QStringLiteral("Release"));
    m_date->setObjectName(QStringLiteral("lblReleaseDate"));
    m_maker = new QLabel(QStringLiteral("Velmora Project"));
    auto *icon = new QLabel;
    icon->setObjectName(QStringLiteral("imgVelmoraIcon"));
    icon->setPixmap(QPixmap(QStringLiteral(":/icons/velmora-64.png")));
    icon->setAlignment(Qt::AlignTop);
    auto *names = new QVBoxLayout;
    names->setSpacing(2);
    names->addWidget(m_title);
    names->addWidget(m_date);
    names->addWidget(m_maker);
    m_makerLinks = new QVBoxLayout;
    names->addLayout(m_makerLinks);
    m_iconCredit = new QLabel;
    m_iconCredit->setObjectName(QStringLiteral("lblIconCredit"));
    names->addWidget(m_iconCredit);
    auto *head = new QHBoxLayout;
    head->setSpacing(12);
    head->addWidget(icon, 0, Qt::AlignTop);
    head->addLayout(names, 1);
    layout->addLayout(head);
    layout->addSpacing(8);

    auto *audio = new QVBoxLayout;
    audio->addWidget(new QLabel(QStringLiteral("Powered by")));
    m_audio = new QVBoxLayout;
    auto *audioVersion = new QLabel(QStringLiteral("NOT FOUND"));
    audioVersion->setObjectName(QStringLiteral("lblfmodver"));
    m_audio->addWidget(audioVersion);
    audio->addLayout(m_audio);
    layout->addWidget(group("オーディオライブラリ", audio));

    auto *archiver = new QVBoxLayout;
    m_archiver = new QVBoxLayout;
    auto *archiverVersion = new QLabel(QStringLiteral("NOT FOUND"));
    archiverVersion->setObjectName(QStringLiteral("lblUnzip32dllver"));
    m_archiver->addWidget(archiverVersion);
    archiver->addLayout(m_archiver);
    layout->addWidget(group("書庫ライブラリ", archiver));
    layout->addStretch();
}

void VersionTab::showEvent(QShowEvent *event)
{
    fill();
    SettingsTab::showEvent(event);
}

void VersionTab::fill()
{
    if (m_filled || !m_source)
        return;
    m_filled = true;
    const VersionInfo info = m_source();
    m_title->setText(info.title);
    m_date->setText(info.releaseDate);
    m_maker->setText(info.maker);
    m_iconCredit->setText(info.iconCredit);
    const auto list = [this](QVBoxLayout *layout, const QList<VersionLine> &lines, const QString &firstName) {
        while (QLayoutItem *item = layout->takeAt(0)) {
            delete item->widget();
            delete item;
        }
        for (const VersionLine &line : lines) {
            auto *label = new LinkLabel;
            label->setLink(line.text, line.url, [this](const QString &url) { Q_EMIT linkActivated(url); });
            label->setWordWrap(true);
            if (layout->count() == 0 && !firstName.isEmpty())
                label->setObjectName(firstName);
            layout->addWidget(label);
        }
    };
    list(m_makerLinks, info.makerLinks, QString());
    list(m_audio, info.audio, QStringLiteral("lblfmodver"));
    list(m_archiver, info.archiver, QStringLiteral("lblUnzip32dllver"));
}

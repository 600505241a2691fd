#pragma once

#include "settings/VersionInfo.h"
#include "settings/ui/SettingsTab.h"

#include <functional>

class QLabel;
class QVBoxLayout;

// The tab "Version": the program's icon, name, date and maker with the
// maker's links, the audio library's components and the archiver library;
// a line is a link only where VersionInfo gives it an address.
class VersionTab : public SettingsTab
{
    Q_OBJECT
public:
    explicit VersionTab(SettingsDialogModel &model, QWidget *parent = nullptr);

    // Where the lines come from; asked once, when the tab is first shown
    // (the audio library's decoders load only then).
    void setSource(std::function<VersionInfo()> source) { m_source = std::move(source); }

Q_SIGNALS:
    void linkActivated(const QString &url);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fill();

    std::function<VersionInfo()> m_source;
    bool m_filled = false;
    QLabel *m_title = nullptr;
    QLabel *m_date = nullptr;
    QLabel *m_maker = nullptr;
    QLabel *m_iconCredit = nullptr;
    QVBoxLayout *m_makerLinks = nullptr;
    QVBoxLayout *m_audio = nullptr;
    QVBoxLayout *m_archiver = nullptr;
};

// Qt's standard dialogs and context menus speak the interface's language,
// whatever the system's locale.

#include "GuiTestApp.h"
#include "core/ui/Translations.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(Language, StandardButtonsAreJapaneseInAnyLocale)
{
    guiTestApp();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    struct Case {
        QDialogButtonBox::StandardButton button;
        const char *english;
    } const cases[] = {
        {QDialogButtonBox::Cancel, "Cancel"},
        {QDialogButtonBox::Yes, "&Yes"},      {QDialogButtonBox::No, "&No"},
        {QDialogButtonBox::Apply, "Apply"},   {QDialogButtonBox::Close, "Close"},
        {QDialogButtonBox::Open, "Open"},     {QDialogButtonBox::Save, "Save"},
    };
    for (const Case &c : cases) {
        QDialogButtonBox box(c.button);
        const QString text = box.button(c.button)->text();
        EXPECT_NE(text, QString::fromLatin1(c.english)) << c.english << " stayed English";
        EXPECT_TRUE(std::any_of(text.cbegin(), text.cend(), [](QChar ch) { return ch.unicode() >= 0x3000; }))
            << c.english << " reads " << text.toStdString();
    }
    QLocale::setDefault(QLocale::system());
}

TEST(Language, FileDialogAndLineEditMenuAreJapanese)
{
    guiTestApp();
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList labels;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        labels << label->text();
    EXPECT_FALSE(labels.contains(QStringLiteral("File &name:")) || labels.contains(QStringLiteral("Look in:")))
        << labels.join(u'|').toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("ファイル名(&N):")) || labels.join(QString()).contains(QStringLiteral("ファイル")))
        << labels.join(u'|').toStdString();

    QLineEdit edit(QStringLiteral("text"));
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList entries;
    for (const QAction *action : menu->actions())
        if (!action->isSeparator())
            entries << action->text();
    EXPECT_FALSE(entries.join(u'|').contains(QStringLiteral("Copy"))) << entries.join(u'|').toStdString();
    EXPECT_TRUE(entries.join(u'|').contains(QStringLiteral("コピー"))) << entries.join(u'|').toStdString();
}

} // namespace

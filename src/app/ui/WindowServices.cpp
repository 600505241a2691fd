#include "app/ui/WindowServices.h"

#include "library/ui/LibraryTreeView.h"
#include "playlistwindow/ui/PlaylistWindow.h"

#include <QApplication>
#include <QFileDialog>

namespace {

QString runDialog(QFileDialog *dialog)
{
    const QString chosen = dialog->exec() == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString();
    delete dialog;
    return chosen;
}

} // namespace

QString DesktopFileDialogs::chooseFile(const QString &filter, const QString &startFolder)
{
    return runDialog(PlaylistWindow::makeOpenFileDialog(m_parent, filter, startFolder));
}

QStringList DesktopFileDialogs::chooseFiles(const QString &filter, const QString &startFolder)
{
    QFileDialog *dialog = PlaylistWindow::makeOpenFileDialog(m_parent, filter, startFolder, true);
    const QStringList chosen = dialog->exec() == QDialog::Accepted ? dialog->selectedFiles() : QStringList();
    delete dialog;
    return chosen;
}

QString DesktopFileDialogs::chooseFolder(const QString &title, const QString &startFolder)
{
    return runDialog(PlaylistWindow::makeFolderDialog(m_parent, title, startFolder));
}

void DesktopBeeper::beep()
{
    QApplication::beep();
}

void TreeViewLabels::setView(LibraryTreeView *view)
{
    m_view = view;
}

void TreeViewLabels::editLabel(int index)
{
    if (m_view)
        m_view->editNode(index);
}

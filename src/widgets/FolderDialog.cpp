#include "FolderDialog.h"

#include <QFileInfo>

CFolderDialog::CFolderDialog(const QString& title, const QString& initialFolder, QWidget* parent, unsigned flags)
    : QFileDialog(parent, title)
    , m_initialFolder(initialFolder)
    , m_flags(flags)
{
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly, true);
    setAcceptMode(QFileDialog::AcceptOpen);
    if (!m_initialFolder.isEmpty())
        setDirectory(m_initialFolder);
}

int CFolderDialog::DoModal()
{
    if (RunBrowser() != QDialog::Accepted)
        return FOLDER_CANCEL;
    const QStringList chosen = selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty())
        return FOLDER_NO_PATH;
    const QFileInfo info(chosen.front());
    if ((m_flags & kReturnOnlyFsDirs) != 0 && !info.isDir())
        return FOLDER_NO_PATH;
    m_selectedPath = info.absoluteFilePath();
    return FOLDER_OK;
}

int CFolderDialog::RunBrowser()
{
    return exec();
}

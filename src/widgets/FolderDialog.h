#pragma once
// The folder chooser: a directories-only file dialog with a title and a folder to start at.
// DoModal returns FOLDER_OK with the chosen folder in SelectedPath(), or FOLDER_CANCEL with
// SelectedPath() left as it was. The dialog itself is run by RunBrowser(), which tests replace.
//
// Threads: GUI thread only.

#include <QFileDialog>
#include <QString>

class CFolderDialog : public QFileDialog {
    Q_OBJECT

public:
    // DoModal results.
    enum FolderResult {
        FOLDER_NO_PATH = -1, // the chosen item has no file-system path
        FOLDER_OK = 1,
        FOLDER_CANCEL = 2,
    };

    // Browser option flags the callers pass (only folders, an edit box, the new dialog style).
    static constexpr unsigned kReturnOnlyFsDirs = 0x0001;
    static constexpr unsigned kEditBox = 0x0010;
    static constexpr unsigned kNewDialogStyle = 0x0040;
    static constexpr unsigned kDefaultFlags = kReturnOnlyFsDirs | kEditBox | kNewDialogStyle;

    // `initialFolder` is the folder selected when the dialog opens; empty opens it at its own
    // starting point.
    explicit CFolderDialog(const QString& title, const QString& initialFolder = QString(),
                           QWidget* parent = nullptr, unsigned flags = kDefaultFlags);

    // Shows the dialog modally; see FolderResult.
    int DoModal();

    const QString& SelectedPath() const { return m_selectedPath; }
    const QString& InitialFolder() const { return m_initialFolder; }
    unsigned Flags() const { return m_flags; }

protected:
    // Runs the dialog and returns QDialog::Accepted or QDialog::Rejected; the chosen folder is
    // then in selectedFiles().
    virtual int RunBrowser();

private:
    QString m_initialFolder;
    QString m_selectedPath;
    unsigned m_flags;
};

#pragma once
// The folder operations a Windows shell would perform: open with the desktop's handler, show the
// file manager's properties, move to the trash, delete for good, rename and create a folder.
// No shell confirms or reports anything here: each operation returns an error value and the
// caller shows its own messages.
//
// Threads: OpenWithDesktop and ShowProperties on the GUI thread; the file operations are
// reentrant and may run on any thread. MoveToTrash reads environment-dependent locations
// (XDG_DATA_HOME, HOME), which must not change while it runs.

#include <QString>
#include <QStringList>

enum class ShellError {
    None,
    InvalidName,       // empty, ".", "..", or containing "/" or NUL
    TargetExists,
    NotFound,
    PermissionDenied,
    TrashUnavailable,  // no usable trash folder (for example on another file system)
    Failed,            // anything else; sysError tells more when it is set
};

struct ShellResult {
    ShellError error = ShellError::None;
    int sysError = 0;  // errno of the failing call, 0 when none applies
    QString path;      // the path the operation produced: renamed item, new folder, trash copy

    bool Ok() const { return error == ShellError::None; }
};

// Opens the file or folder with the desktop's handler; false when none could be started.
bool OpenWithDesktop(const QString& path);

// Asks the file manager (org.freedesktop.FileManager1) to show the properties of the paths.
// Fire and forget: nothing happens when there is no session bus or nobody answers.
void ShowProperties(const QStringList& paths);

// Moves the file or folder to the freedesktop trash. The user data folder is created first, since
// Qt 6.4.2 otherwise "trashes" into the working folder and reports success; a relative location
// in the trash is treated as failure for the same reason.
ShellResult MoveToTrash(const QString& path);

// Deletes a file, a symbolic link (the link, never its target) or a folder with everything in it.
// Symbolic links inside the folder are removed themselves; the folders they point to are left
// alone. A partly deleted folder is reported as Failed.
ShellResult DeletePermanently(const QString& path);

// True for a name that stays inside its folder: not empty, not "." or "..", no "/" and no NUL.
bool IsValidItemName(const QString& name);

// Renames the item at from to newName in the same folder, refusing to replace an existing item.
// Renaming to the current name succeeds without touching anything.
ShellResult RenameNoReplace(const QString& from, const QString& newName);

// Creates "New Folder", or "New Folder (2)", "New Folder (3)", ... when the name is taken, in
// parent. Each try is one mkdir, so a folder that appears meanwhile is never taken over.
ShellResult CreateUniqueFolder(const QString& parent);

// Creates the folder name in parent; an existing item of that name is an error (TargetExists).
ShellResult CreateNamedFolder(const QString& parent, const QString& name);

// A short reason for a failed operation, to follow "could not ...: " in a message.
QString ShellErrorText(const ShellResult& result);

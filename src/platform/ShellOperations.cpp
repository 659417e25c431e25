// Folder operations on Linux: QDesktopServices, the FileManager1 D-Bus interface, the freedesktop
// trash, and plain system calls for delete, rename and mkdir.

#include "platform/ShellOperations.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

ShellResult FromErrno(int error)
{
    ShellResult result;
    result.sysError = error;
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        result.error = ShellError::TargetExists;
        break;
    case ENOENT:
    case ENOTDIR:
        result.error = ShellError::NotFound;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        result.error = ShellError::PermissionDenied;
        break;
    default:
        result.error = ShellError::Failed;
        break;
    }
    return result;
}

ShellResult Success(const QString& path)
{
    ShellResult result;
    result.path = path;
    return result;
}

ShellResult Failure(ShellError error)
{
    ShellResult result;
    result.error = error;
    return result;
}

// A folder, or a link to one.
bool IsExistingFolder(const QString& path)
{
    struct stat st {};
    return !path.isEmpty() && stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool OpenWithDesktop(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void ShowProperties(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QStringList urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
    call << urls << QString();
    // Asynchronous: a file manager that is activatable but hangs must not stall the GUI thread.
    // The pending reply is dropped; an error answer is of no interest.
    bus.asyncCall(call);
}

ShellResult MoveToTrash(const QString& path)
{
    if (path.isEmpty())
        return Failure(ShellError::NotFound);
    struct stat st {};
    if (lstat(QFile::encodeName(path).constData(), &st) != 0)
        return FromErrno(errno);
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome))
        return Failure(ShellError::TrashUnavailable);
    QString inTrash;
    if (!QFile::moveToTrash(path, &inTrash))
        return Failure(ShellError::TrashUnavailable);
    if (QDir::isRelativePath(inTrash)) {
        ShellResult result = Failure(ShellError::TrashUnavailable);
        result.path = inTrash;
        return result;
    }
    return Success(inTrash);
}

ShellResult DeletePermanently(const QString& path)
{
    if (path.isEmpty())
        return Failure(ShellError::NotFound);
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (lstat(native.constData(), &st) != 0)
        return FromErrno(errno);
    if (!S_ISDIR(st.st_mode)) {
        // A file or a symbolic link (to a folder too): unlink removes the entry itself.
        if (unlink(native.constData()) != 0)
            return FromErrno(errno);
        return Success(path);
    }
    // removeRecursively does not descend through symbolic links: it removes the links.
    if (!QDir(path).removeRecursively()) {
        // Part of the folder may be gone already; the caller re-reads what is left.
        if (lstat(native.constData(), &st) == 0 || errno != ENOENT)
            return Failure(ShellError::Failed);
    }
    return Success(path);
}

bool IsValidItemName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(u'\0'));
}

ShellResult RenameNoReplace(const QString& from, const QString& newName)
{
    if (!IsValidItemName(newName))
        return Failure(ShellError::InvalidName);
    if (from.isEmpty())
        return Failure(ShellError::NotFound);
    const QFileInfo fromInfo(from);
    const QString target = QDir(fromInfo.path()).filePath(newName);
    const QByteArray nativeFrom = QFile::encodeName(from);
    const QByteArray nativeTo = QFile::encodeName(target);
    struct stat st {};
    if (lstat(nativeFrom.constData(), &st) != 0)
        return FromErrno(errno);
    if (fromInfo.fileName() == newName)
        return Success(from);

    if (renameat2(AT_FDCWD, nativeFrom.constData(), AT_FDCWD, nativeTo.constData(), RENAME_NOREPLACE) == 0)
        return Success(target);
    const int error = errno;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
        return FromErrno(error);

    // The file system has no RENAME_NOREPLACE (some network and FUSE ones). For a file, a hard
    // link claims the name atomically; a folder can only be checked and then renamed.
    if (!S_ISDIR(st.st_mode)) {
        if (link(nativeFrom.constData(), nativeTo.constData()) == 0) {
            if (unlink(nativeFrom.constData()) != 0) {
                const int unlinkError = errno;
                if (unlink(nativeTo.constData()) != 0)
                    return FromErrno(errno);
                return FromErrno(unlinkError);
            }
            return Success(target);
        }
        if (errno == EEXIST)
            return FromErrno(EEXIST);
    }
    struct stat targetStat {};
    if (lstat(nativeTo.constData(), &targetStat) == 0)
        return FromErrno(EEXIST);
    if (errno != ENOENT)
        return FromErrno(errno);
    if (rename(nativeFrom.constData(), nativeTo.constData()) != 0)
        return FromErrno(errno);
    return Success(target);
}

ShellResult CreateUniqueFolder(const QString& parent)
{
    if (!IsExistingFolder(parent))
        return Failure(ShellError::NotFound);
    const QDir dir(parent);
    constexpr int kMaxTries = 10000;
    for (int n = 1; n <= kMaxTries; ++n) {
        const QString name = n == 1 ? QStringLiteral("New Folder") : QStringLiteral("New Folder (%1)").arg(n);
        const QString path = dir.filePath(name);
        if (mkdir(QFile::encodeName(path).constData(), 0777) == 0)
            return Success(path);
        if (errno != EEXIST)
            return FromErrno(errno);
    }
    return FromErrno(EEXIST);
}

ShellResult CreateNamedFolder(const QString& parent, const QString& name)
{
    if (!IsValidItemName(name))
        return Failure(ShellError::InvalidName);
    if (!IsExistingFolder(parent))
        return Failure(ShellError::NotFound);
    const QString path = QDir(parent).filePath(name);
    if (mkdir(QFile::encodeName(path).constData(), 0777) != 0)
        return FromErrno(errno);
    return Success(path);
}

QString ShellErrorText(const ShellResult& result)
{
    switch (result.error) {
    case ShellError::None: return QStringLiteral("no error");
    case ShellError::InvalidName: return QStringLiteral("the name is empty, \".\", \"..\" or contains \"/\"");
    case ShellError::TargetExists: return QStringLiteral("an item of that name already exists");
    case ShellError::NotFound: return QStringLiteral("it no longer exists");
    case ShellError::PermissionDenied: return QStringLiteral("permission denied");
    case ShellError::TrashUnavailable: return QStringLiteral("there is no Trash for this location");
    case ShellError::Failed: break;
    }
    return result.sysError != 0 ? qt_error_string(result.sysError)
                                : QStringLiteral("the operation failed");
}

#include "DestinationFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Above this many numbered names something is wrong with the folder.
constexpr int kMaxNumberedNames = 100000;

// "name (n).ext" for a path; the extension is the file name's text from its last dot.
QString NumberedPath(const QString& path, int n)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot >= 0 ? name.left(dot) : name;
    const QString extension = dot >= 0 ? name.mid(dot) : QString();
    return QDir(info.path()).filePath(QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(extension));
}

// True when something, a dangling symbolic link included, has this name.
bool NameTaken(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace

std::FILE* CreateDestinationFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "w+b");
    if (!file) {
        const int error = errno;
        ::close(fd);
        ::unlink(name.constData()); // created above, still empty
        errno = error;
    }
    return file;
}

std::FILE* OpenReservedDestination(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "r+b");
    if (!file) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

QString MakeUniquePath(const QString& path)
{
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const QString candidate = n == 1 ? path : NumberedPath(path, n);
        const int fd = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            (void)::close(fd); // nothing was written: a failed close loses nothing
            return candidate;
        }
        if (errno != EEXIST)
            return {};
    }
    errno = EEXIST;
    return {};
}

QString PreviewUniquePath(const QString& path, const QSet<QString>* taken)
{
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const QString candidate = n == 1 ? path : NumberedPath(path, n);
        if (!NameTaken(candidate) && !(taken && taken->contains(candidate)))
            return candidate;
    }
    return {};
}

bool CreateFolderTree(const QString& folder)
{
    return QDir().mkpath(folder) && QFileInfo(folder).isDir();
}

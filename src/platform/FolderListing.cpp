#include "platform/FolderListing.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// The link's target as an absolute, cleaned path, without following it any further.
QString LinkTarget(int dirFd, const char* entry, const QString& folder)
{
    char buffer[PATH_MAX];
    const ssize_t length = readlinkat(dirFd, entry, buffer, sizeof buffer);
    if (length <= 0 || size_t(length) >= sizeof buffer)
        return {};
    QString target = QFile::decodeName(QByteArray(buffer, int(length)));
    if (!target.startsWith(QLatin1Char('/')))
        target = folder + QLatin1Char('/') + target;
    return QDir::cleanPath(target);
}

// Calls found for each visible sub-folder until it returns false; false when the folder cannot
// be read (or reading it fails part way).
bool ForEachSubFolder(const QString& folder, const NetworkMountTest& onNetwork,
                      const std::function<bool(SubFolder&&)>& found)
{
    const QByteArray native = QFile::encodeName(folder);
    const int fd = open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
    if (!dir) {
        close(fd);
        return false;
    }
    const int dirFd = dirfd(dir.get());
    // readdir returns null at the end and on an error; only errno tells them apart.
    for (errno = 0;; errno = 0) {
        const dirent* entry = readdir(dir.get());
        if (entry == nullptr)
            return errno == 0;
        if (entry->d_name[0] == '.')
            continue;  // hidden, and "." and ".."
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
        }
        if (type != DT_DIR && type != DT_LNK)
            continue;
        const QByteArray raw(entry->d_name);
        SubFolder sub;
        sub.name = QFile::decodeName(raw);
        if (QFile::encodeName(sub.name) != raw || sub.name.contains(QChar::ReplacementCharacter))
            continue;
        if (type == DT_LNK) {
            const QString target = LinkTarget(dirFd, entry->d_name, folder);
            if (target.isEmpty())
                continue;
            sub.symLink = true;
            if (onNetwork && onNetwork(target)) {
                sub.onNetwork = true;
            } else {
                struct stat st {};
                if (fstatat(dirFd, entry->d_name, &st, 0) != 0 || !S_ISDIR(st.st_mode))
                    continue;
            }
        }
        if (!found(std::move(sub)))
            return true;
    }
}

}  // namespace

std::optional<std::vector<SubFolder>> ListSubFolders(const QString& folder, const NetworkMountTest& onNetwork)
{
    std::vector<SubFolder> subFolders;
    const bool read = ForEachSubFolder(folder, onNetwork, [&](SubFolder&& sub) {
        subFolders.push_back(std::move(sub));
        return true;
    });
    if (!read)
        return std::nullopt;
    return subFolders;
}

bool HasSubFolder(const QString& folder, const NetworkMountTest& onNetwork)
{
    bool any = false;
    ForEachSubFolder(folder, onNetwork, [&](SubFolder&&) {
        any = true;
        return false;
    });
    return any;
}

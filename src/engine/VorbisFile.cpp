#include "VorbisFile.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

VorbisFile::~VorbisFile()
{
    if (m_open)
        ov_clear(&m_vf);
    if (m_file)
        std::fclose(m_file);
}

VorbisFile::OpenResult VorbisFile::Open(const QString& path)
{
    // O_NONBLOCK keeps a FIFO from blocking the open; such files are refused right after.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return OpenResult::CannotOpenFile;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return OpenResult::CannotOpenFile;
    }
    m_file = ::fdopen(fd, "rb");
    if (!m_file) {
        ::close(fd);
        return OpenResult::CannotOpenFile;
    }
    if (ov_open_callbacks(m_file, &m_vf, nullptr, 0, OV_CALLBACKS_NOCLOSE) < 0) {
        ov_clear(&m_vf); // safe after a failed open: the library has zeroed the state
        return OpenResult::NotVorbis;
    }
    m_open = true;
    return OpenResult::Ok;
}

bool VorbisFile::EndsWithStreamEnd() const
{
    if (!m_file)
        return false;
    const int fd = ::fileno(m_file);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return false;
    // An Ogg page is at most 27 + 255 + 255 * 255 bytes long.
    constexpr off_t kMaxPage = 27 + 255 + 255 * 255;
    const off_t size = st.st_size;
    const off_t start = std::max<off_t>(0, size - kMaxPage);
    std::vector<unsigned char> tail(std::size_t(size - start));
    if (::pread(fd, tail.data(), tail.size(), start) != ssize_t(tail.size()))
        return false;

    // Look for the page that ends exactly at the end of the file, from the back.
    for (std::size_t pos = tail.size() >= 27 ? tail.size() - 27 : 0; tail.size() >= 27; --pos) {
        if (std::memcmp(&tail[pos], "OggS", 4) == 0) {
            const std::size_t segments = tail[pos + 26];
            if (pos + 27 + segments <= tail.size()) {
                std::size_t end = pos + 27 + segments;
                for (std::size_t i = 0; i < segments; ++i)
                    end += tail[pos + 27 + i];
                if (end == tail.size())
                    return (tail[pos + 5] & 0x04) != 0; // the end-of-stream flag
            }
        }
        if (pos == 0)
            break;
    }
    return false;
}

// The file probe: type, size, audio properties, comment and bit rate of one file.

#include "AudioFileProbe.h"
#include "engine/NumberText.h"

#include "ExtensionTypeTable.h"
#include "OggVorbisProbe.h"

#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <taglib/fileref.h>

namespace {

// Opens a regular file read-only and returns its descriptor, or -1. The path is stat'ed
// first so that a FIFO, device or directory is never opened; the descriptor is checked
// again in case the path was replaced in between (O_NONBLOCK keeps even that open from
// blocking).
int OpenRegularFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        (void)::close(fd); // read-only: a failed close loses nothing
        return -1;
    }
    return fd;
}

// All values of the field joined by single spaces; false when the comment has no such field.
bool JoinedField(const TagLib::Ogg::FieldListMap& fields, const char* name, QString& text)
{
    const auto it = fields.find(TagLib::String(name));
    if (it == fields.end() || it->second.isEmpty())
        return false;
    text = TagTextToWide(it->second.toString(TagLib::String(" ")));
    return true;
}

// The field's text, or the alternate field's when the first is absent, or an empty text.
QString FieldText(const TagLib::Ogg::FieldListMap& fields, const char* name, const char* alternate = nullptr)
{
    QString text;
    if (!JoinedField(fields, name, text) && alternate)
        JoinedField(fields, alternate, text);
    return text;
}

std::uint8_t LowByte(int value)
{
    return std::uint8_t(unsigned(value) & 0xFFu);
}


// The bit rate TagLib reports for a file of any type but Ogg Vorbis (whose probe reads its
// own) in kbit/s, 0 when it reports none. FileRef recognises the format by the content.
int TagLibBitrate(const QString& path)
{
    const std::unique_ptr<TagLib::FileStream> stream = OpenRegularFileStream(path);
    if (!stream)
        return 0;
    TagLib::FileRef ref(stream.get(), true, TagLib::AudioProperties::Fast);
    const TagLib::AudioProperties* properties = ref.isNull() ? nullptr : ref.audioProperties();
    return properties ? properties->bitrate() : 0;
}

} // namespace

std::unique_ptr<TagLib::FileStream> OpenRegularFileStream(const QString& path)
{
    const int fd = OpenRegularFile(path);
    if (fd < 0)
        return nullptr;
    // The stream takes the descriptor over and closes it, but only once it has wrapped it.
    auto stream = std::make_unique<TagLib::FileStream>(fd, true);
    if (!stream->isOpen()) {
        (void)::close(fd);
        return nullptr;
    }
    return stream;
}

QString TagTextToWide(const TagLib::String& text)
{
    // to8Bit builds a new string; toCString would fill a cache inside the shared text.
    const std::string utf8 = text.to8Bit(true);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

void ReadVorbisComment(const TagLib::Ogg::XiphComment& comment, AudioFileInfo& info)
{
    const TagLib::Ogg::FieldListMap& fields = comment.fieldListMap();
    info.artist = FieldText(fields, "ARTIST");
    info.albumArtist = FieldText(fields, "ALBUM ARTIST", "ALBUMARTIST");
    info.album = FieldText(fields, "ALBUM");
    info.track = FieldText(fields, "TRACKNUMBER", "TRACK");
    info.title = FieldText(fields, "TITLE");
    info.genre = FieldText(fields, "GENRE");
    info.date = FieldText(fields, "DATE", "YEAR");
    info.comment = FieldText(fields, "COMMENT");

    if (info.track.isEmpty())
        return;
    const qsizetype slash = info.track.indexOf(u'/');
    if (slash >= 0) {
        info.trackNumber = LowByte(LeadingInt(info.track.left(slash)));
        info.trackTotal = LowByte(LeadingInt(info.track.mid(slash + 1)));
    } else {
        info.trackNumber = LowByte(LeadingInt(info.track));
    }
}

void ProbeAudioFile(const QString& path, AudioFileInfo& info)
{
    const int fd = OpenRegularFile(path);
    if (fd < 0) {
        info.unreadable = 1;
        return;
    }
    (void)::close(fd); // read-only: a failed close loses nothing

    if (info.type == AFT_OGG_VORBIS)
        ProbeOggVorbis(path, info);
    if (info.channels == 0 || info.sampleRate == 0 || info.totalSamples == 0)
        info.unreadable = 1;
}

AudioFileInfo ProbeFile(const QString& path)
{
    AudioFileInfo info;
    info.type = FileTypeForName(QFileInfo(path).fileName());

    struct stat st {};
    const bool found = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    if (found)
        info.sizeMB = double(st.st_size) / 1048576.0;

    ProbeAudioFile(path, info);

    if (info.type != AFT_OGG_VORBIS && found && S_ISREG(st.st_mode)) {
        const int bitrate = TagLibBitrate(path);
        if (bitrate != 0)
            info.bitrateKbps = bitrate;
    }
    return info;
}

#include "Mp3Tags.h"

#include "engine/NumberText.h"

#include <QFile>

#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

namespace {

TagLib::String ToTagText(const QString& text)
{
    return TagLib::String(text.toUtf8().constData(), TagLib::String::UTF8);
}

// ID3v1 holds Latin-1 only: every character outside it becomes one "?".
TagLib::String ToLatin1TagText(const QString& text)
{
    std::string bytes;
    for (const char32_t c : text.toUcs4())
        bytes.push_back(c <= 0xFF ? char(c) : '?');
    return TagLib::String(bytes, TagLib::String::Latin1);
}

// The MP3 tag kinds for a source's tag flags: both when it has a Vorbis comment, else none.
int OutputTagKindsFor(std::uint8_t sourceTagFlags)
{
    return (sourceTagFlags & TF_VORBIS_COMMENT) ? (TagLib::MPEG::File::ID3v1 | TagLib::MPEG::File::ID3v2)
                                                : TagLib::MPEG::File::NoTags;
}

// Fills an ID3v1 tag with the job's non-empty texts.
void WriteId3v1Fields(const CConversionTask& job, TagLib::ID3v1::Tag& tag)
{
    if (!job.artist.isEmpty())
        tag.setArtist(ToLatin1TagText(job.artist));
    if (!job.album.isEmpty())
        tag.setAlbum(ToLatin1TagText(job.album));
    if (!job.title.isEmpty())
        tag.setTitle(ToLatin1TagText(job.title));
    if (!job.genre.isEmpty())
        tag.setGenre(ToLatin1TagText(job.genre));
    if (!job.comment.isEmpty())
        tag.setComment(ToLatin1TagText(job.comment));
    if (!job.track.isEmpty()) {
        // The ID3v1 track is one byte; numbers it cannot hold stay unset.
        const int track = LeadingInt(job.track.section(u'/', 0, 0));
        if (track > 0 && track <= 255)
            tag.setTrack(unsigned(track));
    }
    if (!job.date.isEmpty()) {
        const int year = LeadingInt(job.date);
        if (year > 0)
            tag.setYear(unsigned(year));
    }
}

// Sets the text of the first frame `id` (creating it), or removes every such frame when
// `text` is empty.
void SetTextFrame(TagLib::ID3v2::Tag& tag, const char* id, const QString& text)
{
    const TagLib::ByteVector frameId(id, 4);
    if (text.isEmpty()) {
        tag.removeFrames(frameId);
        return;
    }
    const TagLib::ID3v2::FrameList& frames = tag.frameListMap()[frameId];
    TagLib::ID3v2::Frame* frame = frames.isEmpty() ? nullptr : frames.front();
    if (!frame) {
        frame = new TagLib::ID3v2::TextIdentificationFrame(
            frameId, TagLib::ID3v2::FrameFactory::instance()->defaultTextEncoding());
        tag.addFrame(frame); // the tag owns it
    }
    frame->setText(ToTagText(text));
}

// Fills an ID3v2 tag: the text frames, the comment and the encoder text.
void WriteId3v2Frames(const CConversionTask& job, TagLib::ID3v2::Tag& tag)
{
    SetTextFrame(tag, "TPE1", job.artist);
    SetTextFrame(tag, "TPE2", job.albumArtist);
    SetTextFrame(tag, "TALB", job.album);
    SetTextFrame(tag, "TRCK", job.track);
    SetTextFrame(tag, "TIT2", job.title);
    SetTextFrame(tag, "TCON", job.genre);
    SetTextFrame(tag, "TDRC", job.date);
    tag.setComment(ToTagText(job.comment));
    SetTextFrame(tag, "TENC", QStringLiteral("Quillvane\r\n") + QLatin1String(kProductUrl));
}

} // namespace

bool WriteMp3Tags(const CConversionTask& job, BatchHost& host)
{
    const int kinds = OutputTagKindsFor(job.sourceTagFlags);
    TagLib::MPEG::File file(QFile::encodeName(job.destinationPath).constData(), false);
    bool saved = false;
    if (file.isValid()) {
        if (kinds & TagLib::MPEG::File::ID3v1)
            WriteId3v1Fields(job, *file.ID3v1Tag(true));
        if (kinds & TagLib::MPEG::File::ID3v2)
            WriteId3v2Frames(job, *file.ID3v2Tag(true));
        saved = file.save(kinds, TagLib::File::StripOthers);
    }
    if (!saved)
        PostLogLine(host, QStringLiteral("Fail to write tag!") + job.destinationPath, LOG_ERROR);
    return saved;
}

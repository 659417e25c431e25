#include "Mp3Reader.h"

#include <QJsonDocument>
#include <QProcess>
#include <QStringList>

#include <cmath>
#include <cstring>
#include <vorbis/vorbisfile.h>

Mp3Properties ReadMp3Properties(const QString& path)
{
    Mp3Properties p;
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(QV_TEST_TOOLS_DIR "/mp3info.py"), path});
    if (!python.waitForFinished(60000)) {
        p.error = QStringLiteral("mp3info.py did not run");
        return p;
    }
    QMap<QString, QString> kv;
    for (const QString& pair : QString::fromUtf8(python.readAllStandardOutput()).trimmed().split(u' ')) {
        const qsizetype eq = pair.indexOf(u'=');
        if (eq > 0)
            kv.insert(pair.left(eq), pair.mid(eq + 1));
    }
    p.ok = kv.value(QStringLiteral("ok")) == QStringLiteral("1");
    p.error = kv.value(QStringLiteral("error"));
    p.sampleRate = kv.value(QStringLiteral("sample_rate")).toInt();
    p.channels = kv.value(QStringLiteral("channels")).toInt();
    p.bitrate = kv.value(QStringLiteral("bitrate")).toInt();
    p.cbr = kv.value(QStringLiteral("cbr")) == QStringLiteral("1");
    p.length = kv.value(QStringLiteral("length")).toDouble();
    p.mode = kv.value(QStringLiteral("mode"), QStringLiteral("-1")).toInt();
    p.encoder = kv.value(QStringLiteral("encoder"));
    return p;
}

QJsonObject ReadId3Tags(const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(QV_TEST_TOOLS_DIR "/id3dump.py"), path});
    if (!python.waitForFinished(60000))
        return {};
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

bool DecodeMp3(const QString& path, std::vector<float>* samples)
{
    QProcess mpg123;
    mpg123.start(QStringLiteral("mpg123"), {QStringLiteral("-q"), QStringLiteral("-e"), QStringLiteral("f32"),
                                            QStringLiteral("-s"), path});
    if (!mpg123.waitForFinished(120000) || mpg123.exitStatus() != QProcess::NormalExit || mpg123.exitCode() != 0)
        return false;
    const QByteArray raw = mpg123.readAllStandardOutput();
    samples->resize(std::size_t(raw.size()) / sizeof(float));
    if (!samples->empty())
        std::memcpy(samples->data(), raw.constData(), samples->size() * sizeof(float));
    return true;
}

bool DecodeOgg(const QString& path, std::vector<float>* samples, int* channels, int* rate)
{
    OggVorbis_File vf;
    if (ov_fopen(path.toLocal8Bit().constData(), &vf) < 0)
        return false;
    const vorbis_info* info = ov_info(&vf, -1);
    *channels = info->channels;
    *rate = int(info->rate);
    samples->clear();
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long n = ov_read_float(&vf, &pcm, 4096, &section);
        if (n < 0) {
            ov_clear(&vf);
            return false;
        }
        if (n == 0)
            break;
        for (long i = 0; i < n; ++i)
            for (int c = 0; c < *channels; ++c)
                samples->push_back(pcm[c][i]);
    }
    ov_clear(&vf);
    return true;
}

double BestCorrelation(const std::vector<float>& a, const std::vector<float>& b, int channels, int channel,
                       int maxLag, int* bestLag)
{
    const long framesA = long(a.size()) / channels;
    const long framesB = long(b.size()) / channels;
    double best = -2;
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double ab = 0, aa = 0, bb = 0;
        for (long i = 0; i < framesA; ++i) {
            const long j = i + lag;
            if (j < 0 || j >= framesB)
                continue;
            const double x = a[std::size_t(i * channels + channel)];
            const double y = b[std::size_t(j * channels + channel)];
            ab += x * y;
            aa += x * x;
            bb += y * y;
        }
        const double r = aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
        if (r > best) {
            best = r;
            if (bestLag)
                *bestLag = lag;
        }
    }
    return best;
}

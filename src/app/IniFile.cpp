#include "IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringConverter>
#include <QStringDecoder>

#include <climits>

namespace {

bool IsQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool SameName(const QString& a, QStringView b)
{
    return QStringView(a).compare(b, Qt::CaseInsensitive) == 0;
}

// The value of a key line's text after its '=': trimmed, then one pair of enclosing quotes
// removed.
QString ReadValue(QStringView text)
{
    text = text.trimmed();
    if (text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front())
        text = text.mid(1, text.size() - 2);
    return text.toString();
}

// `value` with its line breaks made spaces: what a key line can hold.
QString StorableValue(const QString& value)
{
    QString text = value;
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

// How `value` (without line breaks) is written so that ReadValue gives it back: in double
// quotes when reading would trim its ends or strip its own enclosing quotes.
QString StoredText(const QString& value)
{
    if (value.isEmpty())
        return value;
    const bool needsQuotes = value.front().isSpace() || value.back().isSpace() ||
                             (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front());
    return needsQuotes ? u'"' + value + u'"' : value;
}

QString Decode(const QByteArray& bytes)
{
    // Only a byte order mark can name another encoding; the decoder drops the mark.
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    if (const auto detected = QStringConverter::encodingForData(bytes))
        encoding = *detected;
    QStringDecoder decoder(encoding);
    return decoder(bytes);
}

} // namespace

bool IniFile::Load(const QString& path)
{
    m_lines.clear();
    // Refuses directories, and FIFOs and devices that could block the read.
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    Parse(Decode(bytes));
    return true;
}

void IniFile::Parse(const QString& text)
{
    const QList<QStringView> rawLines = QStringView(text).split(u'\n');
    qsizetype count = rawLines.size();
    if (count > 0 && rawLines.back().isEmpty())
        --count; // the final line end starts no line
    m_lines.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        QStringView raw = rawLines[i];
        if (raw.endsWith(u'\r'))
            raw.chop(1);
        Line line;
        line.text = raw.toString();
        const QStringView trimmed = raw.trimmed();
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            line.kind = Line::Kind::Section;
            line.name = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed().toString();
        } else if (!trimmed.startsWith(u';') && !trimmed.startsWith(u'#')) {
            const qsizetype equals = trimmed.indexOf(u'=');
            if (equals > 0) {
                const QStringView name = trimmed.left(equals).trimmed();
                if (!name.isEmpty()) {
                    line.kind = Line::Kind::Key;
                    line.name = name.toString();
                    line.value = ReadValue(trimmed.mid(equals + 1));
                }
            }
        }
        m_lines.push_back(std::move(line));
    }
}

bool IniFile::Save(const QString& path) const
{
    QString text;
    for (const Line& line : m_lines) {
        text += line.text;
        text += u'\n';
    }
    const QByteArray bytes = text.toUtf8();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

qsizetype IniFile::FindSection(const QString& section) const
{
    const QStringView name = QStringView(section).trimmed();
    for (qsizetype i = 0; i < qsizetype(m_lines.size()); ++i) {
        if (m_lines[i].kind == Line::Kind::Section && SameName(m_lines[i].name, name))
            return i;
    }
    return -1;
}

qsizetype IniFile::FindKey(qsizetype sectionLine, const QString& key) const
{
    const QStringView name = QStringView(key).trimmed();
    for (qsizetype i = sectionLine + 1; i < qsizetype(m_lines.size()); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Line::Kind::Section)
            break;
        if (line.kind == Line::Kind::Key && SameName(line.name, name))
            return i;
    }
    return -1;
}

const QString* IniFile::FindValue(const QString& section, const QString& key) const
{
    const qsizetype sectionLine = FindSection(section);
    if (sectionLine < 0)
        return nullptr;
    const qsizetype keyLine = FindKey(sectionLine, key);
    return keyLine < 0 ? nullptr : &m_lines[keyLine].value;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const QString* value = FindValue(section, key);
    return value ? *value : defaultValue;
}

int IniFile::ReadInt(const QString& section, const QString& key, int defaultValue) const
{
    const QString* value = FindValue(section, key);
    if (!value)
        return defaultValue;
    qsizetype i = 0;
    while (i < value->size() && value->at(i).isSpace())
        ++i;
    long long result = 0;
    for (; i < value->size() && IsAsciiDigit(value->at(i)); ++i) {
        result = result * 10 + (value->at(i).unicode() - u'0');
        if (result > INT_MAX)
            return INT_MAX;
    }
    return int(result);
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString storable = StorableValue(value);
    const QString stored = StoredText(storable);

    qsizetype sectionLine = FindSection(section);
    if (sectionLine < 0) {
        if (!m_lines.empty() && !m_lines.back().text.trimmed().isEmpty())
            m_lines.push_back(Line{}); // a blank line before the new section
        Line header;
        header.kind = Line::Kind::Section;
        header.name = section.trimmed();
        header.text = u'[' + header.name + u']';
        m_lines.push_back(std::move(header));
        sectionLine = qsizetype(m_lines.size()) - 1;
    }

    const qsizetype keyLine = FindKey(sectionLine, key);
    if (keyLine >= 0) {
        Line& line = m_lines[keyLine];
        line.text = line.name + u'=' + stored; // keeps the existing spelling of the name
        line.value = storable;
        return;
    }

    qsizetype insertAt = sectionLine + 1;
    for (qsizetype i = sectionLine + 1; i < qsizetype(m_lines.size()); ++i) {
        if (m_lines[i].kind == Line::Kind::Section)
            break;
        if (m_lines[i].kind == Line::Kind::Key)
            insertAt = i + 1;
    }
    Line line;
    line.kind = Line::Kind::Key;
    line.name = key.trimmed();
    line.text = line.name + u'=' + stored;
    line.value = storable;
    m_lines.insert(m_lines.begin() + insertAt, std::move(line));
}

void IniFile::WriteInt(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

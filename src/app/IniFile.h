#pragma once
// A small INI file reader and writer with the lookup rules of Windows private profile files:
// names match without regard to case, backslashes are plain characters, and a save keeps
// every line it did not change (comments, unknown sections and keys, their order).

#include <QString>
#include <vector>

// File format, as read:
// - A line whose first non-blank character is '[' starts a section; its name runs to the
//   first ']' (or the end of the line) and is trimmed. Text after the ']' is ignored.
// - A line whose first non-blank character is ';' or '#' is a comment.
// - Any other line holding '=' is a key: the trimmed text before the first '=' is its name,
//   the trimmed text after it its value. A value enclosed in one pair of matching double or
//   single quotes loses them. Everything else is kept as text and ignored.
// - Section and key names match case-insensitively. Lookups use the first section of a
//   name and the first key of a name inside it; a repeated section is never searched.
//   Keys above the first section header belong to no section and are never found.
// Files are read as UTF-8 (a UTF-8 BOM is dropped; a file with a UTF-16 or UTF-32 BOM is
// decoded as such) with LF or CRLF line ends, and saved as UTF-8 with LF line ends.
//
// Not thread-safe; one object per thread, no shared state.
class IniFile {
public:
    // Replaces the contents with those of `path`. Returns false, leaving the object empty,
    // when the file is missing or cannot be read (a directory, a FIFO, a read error): a
    // caller that treats a missing file as normal checks for it first.
    bool Load(const QString& path);

    // Writes the contents to `path` atomically (the old file stays whole when anything
    // fails). The folder must exist. Returns false on failure.
    bool Save(const QString& path) const;

    // The key's value; `defaultValue` only when the key does not exist (a key written as
    // "key=" gives the empty string).
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;

    // The key's value as an unsigned decimal number: `defaultValue` when the key does not
    // exist; otherwise the digits that start the value after optional blanks, 0 when there
    // are none ("12abc" gives 12, "abc", "" and "-5" give 0), INT_MAX when they overflow.
    int ReadInt(const QString& section, const QString& key, int defaultValue) const;

    // Changes an existing key's value in place, keeping the key's spelling and position, or
    // adds the key after the last key of its section, adding the section at the end when it
    // is missing. A value with blanks at either end, or one that is itself enclosed in
    // matching quotes, is written in double quotes so that it reads back unchanged. A line
    // break cannot be stored: each CR or LF in `value` is written as a space. `section` must
    // not hold ']' and `key` must not hold '='.
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInt(const QString& section, const QString& key, int value);

private:
    struct Line {
        enum class Kind { Other, Section, Key };
        Kind kind = Kind::Other;
        QString text;  // the line as saved, without its line end
        QString name;  // section or key name, trimmed
        QString value; // key value as read
    };

    void Parse(const QString& text);
    // Index of the header line of the first section called `section`, or -1.
    qsizetype FindSection(const QString& section) const;
    // Index of the first `key` line in the section whose header is at `sectionLine`, or -1.
    qsizetype FindKey(qsizetype sectionLine, const QString& key) const;
    // The value of `key` in `section`; null when there is no such key.
    const QString* FindValue(const QString& section, const QString& key) const;

    std::vector<Line> m_lines;
};

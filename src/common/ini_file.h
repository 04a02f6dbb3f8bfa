#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A small INI file with the classic desktop profile semantics the settings file
// has always had: sections and keys match without regard to case, values are kept
// raw (no quoting or escaping, so "C:\" stays three characters), a write replaces
// the key's own line and keeps every other line, comments and foreign keys as they
// are, and a missing section or key is appended.
//
// The file is read once when the object is made. The set functions change only the
// copy in memory; save() puts all of them on disk in one atomic replacement, so a
// program killed at any moment leaves either the old file or the new one.
//
// The file is handled as bytes: a line no set function changed is written back
// exactly as it was read (its spacing, line end and encoding). Values the program
// writes are UTF-8; a stored value that is not valid UTF-8 reads as Latin-1.
class IniFile {
public:
    explicit IniFile(const QString& path);

    const QString& path() const { return filePath; }
    // Why the file could not be read, empty when it was read or is not there at
    // all. A file that cannot be read reads as empty: every value its default.
    const QString& problem() const { return readProblem; }

    bool hasKey(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Lenient: a value that is missing, empty or not a whole decimal number gives the default.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    // Lenient like readInteger; "." is the decimal separator for reading and writing.
    double readFloat(const QString& section, const QString& key, double defaultValue) const;
    // Flags are stored as 1 and 0; only 1 counts as true.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    void setString(const QString& section, const QString& key, const QString& value);
    void setInteger(const QString& section, const QString& key, int value);
    void setFloat(const QString& section, const QString& key, double value);
    void setBool(const QString& section, const QString& key, bool value);

    // Replaces the file with the contents in memory: a temporary beside it, synced
    // to disk, then renamed over it. Raises QuillmarkError "Unable to write to
    // <path>" when that fails, and then leaves no temporary behind.
    void save();

    // The shortest general form with up to 15 significant digits: "23.976", "25".
    static QString formatFloat(double value);

private:
    struct Location {
        int sectionLine = -1;  // header line of the section, -1 when absent
        int keyLine = -1;      // line of the key inside it, -1 when absent
        int lastLine = -1;     // last non-blank line of the section
    };
    Location locate(const QString& section, const QString& key) const;
    bool lookup(const QString& section, const QString& key, QString& value) const;
    void insertLine(int index, const QByteArray& text);

    QString filePath;
    QString readProblem;
    // Each line without its '\n'; a '\r' before it stays part of the line.
    QList<QByteArray> lines;
    bool finalNewline = true;
    bool crlf = false;  // lines the program adds end in "\r\n" too in a Windows-style file
};

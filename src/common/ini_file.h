#pragma once

#include <QString>
#include <QStringList>

// A small INI file with the classic desktop profile semantics the settings file
// has always had: sections and keys match without regard to case, values are kept
// raw (no quoting or escaping, so "C:\" stays three characters), a write replaces
// the key's own line and keeps every other line, comments and foreign keys as they
// are, and a missing section or key is appended.
//
// Each object reads the file once when made; each write reaches the disk at once,
// atomically (temporary file, then rename), so a crash never leaves half a file.
class IniFile {
public:
    explicit IniFile(const QString& path);

    const QString& path() const { return filePath; }

    bool hasKey(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Lenient: a value that is missing, empty or not a whole decimal number gives the default.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    // Lenient like readInteger; "." is the decimal separator for reading and writing.
    double readFloat(const QString& section, const QString& key, double defaultValue) const;
    // Flags are stored as 1 and 0; only 1 counts as true.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    // Each raises QuillmarkError "Unable to write to <path>" when the file cannot be written.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeFloat(const QString& section, const QString& key, double value);
    void writeBool(const QString& section, const QString& key, bool value);

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
    void save();

    QString filePath;
    QStringList lines;
    QString newline = QStringLiteral("\n");
};

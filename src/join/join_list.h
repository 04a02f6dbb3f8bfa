#pragma once

#include <QList>
#include <QString>

// One entry of the join list: the file as the open dialog gave it and its playing
// time once measured (0 until then; pictures keep 0).
struct JoinItem {
    QString path;
    double duration = 0;
};

// A picture is a file whose extension, dot included and upper-cased, is exactly
// ".BMP", ".JPG", ".JPEG" or ".PNG"; everything else is treated as a video.
bool IsPictureFile(const QString& path);

// True when any entry is a picture.
bool HasPictures(const QList<JoinItem>& items);

// A file's size in megabytes of 1,048,576 bytes; 0 for a file that is not there.
double FileSizeMB(const QString& path);

// The texts of a list row: the name with its extension, up to three upper-case
// characters of the extension, and the size as "12.35  MB".
QString JoinFileNameText(const QString& path);
QString JoinFormatText(const QString& path);
QString JoinSizeText(const QString& path);

// The ordered join list. Entries are numbered from 1; a path and its duration
// always move together. Duplicates are allowed.
class JoinItems {
public:
    int count() const { return static_cast<int>(items.size()); }
    bool contains(int number) const { return number >= 1 && number <= count(); }
    // Entry `number`, counted from 1.
    const JoinItem& at(int number) const { return items.at(number - 1); }
    const QList<JoinItem>& all() const { return items; }
    QList<JoinItem>& all() { return items; }

    // Appends the files in the order given, each not yet measured.
    void Add(const QStringList& files);
    // Inserts the files, in the order given, before entry `before` (count() + 1:
    // at the end; numbers outside the list are taken as the nearer end).
    void Insert(int before, const QStringList& files);
    // Takes entry `number` to stand before entry `before` as numbered now
    // (count() + 1: to the end). Returns its new number, or 0 when nothing moved.
    int Move(int number, int before);
    // Each returns false and changes nothing when `number` has no suitable place.
    bool Remove(int number);
    bool MoveUp(int number);
    bool MoveDown(int number);
    void RemoveAll() { items.clear(); }
    // Stores a measured duration; a number outside the list is never written.
    bool SetDuration(int number, double seconds);

private:
    QList<JoinItem> items;
};

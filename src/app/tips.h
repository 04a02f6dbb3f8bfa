#pragma once

#include <QFile>
#include <QString>
#include <optional>

// The tips file: one tip per non-empty line, numbered from 1 in file order. The
// file stays open while the program runs and is read again for every step.
class Tips {
public:
    // Opens and counts the file, then picks the first tip to show from the stored
    // number, which names the tip before it. Raises QuillmarkError when the file
    // cannot be opened ("File not found" when it is missing).
    std::optional<QString> Load(const QString& path, int storedNumber);
    // The following tip, wrapping after the last. Raises the opening error again
    // when the file could not be opened.
    std::optional<QString> Next();
    void Close();

    int Number() const { return number; }
    int Count() const { return count; }

private:
    // The tip numbered `wanted`, counting non-empty lines from the start.
    std::optional<QString> tipAt(int wanted);

    QFile file;
    QString openError;
    int number = 0;
    int count = 0;
};

#include "app/tips.h"

#include "engine/quillmark_error.h"

std::optional<QString> Tips::Load(const QString& path, int storedNumber) {
    number = storedNumber;
    count = 0;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        openError = file.exists() ? file.errorString() : QStringLiteral("File not found");
        throw QuillmarkError(openError);
    }
    openError.clear();
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
        if (!line.isEmpty()) ++count;
    }
    // Without any tip there is nothing to pick; the box just stays empty.
    if (count == 0) return std::nullopt;
    if (number >= count) number %= count;
    std::optional<QString> tip = tipAt(number + 1);
    if (tip) ++number;
    return tip;
}

std::optional<QString> Tips::Next() {
    if (!file.isOpen()) throw QuillmarkError(openError.isEmpty() ? QStringLiteral("File not open") : openError);
    number = number == count ? 1 : number + 1;
    return tipAt(number);
}

void Tips::Close() { file.close(); }

std::optional<QString> Tips::tipAt(int wanted) {
    file.seek(0);
    int seen = 0;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r')) line.chop(1);
        if (line.isEmpty()) continue;
        if (++seen == wanted) return QString::fromUtf8(line);
    }
    return std::nullopt;
}

#include "join/join_list.h"

#include <QFileInfo>
#include <QLocale>
#include <algorithm>

bool IsPictureFile(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return false;
    const QString ext = name.mid(dot).toUpper();
    return ext == QLatin1String(".BMP") || ext == QLatin1String(".JPG") || ext == QLatin1String(".JPEG") ||
           ext == QLatin1String(".PNG");
}

bool HasPictures(const QList<JoinItem>& items) {
    return std::any_of(items.begin(), items.end(), [](const JoinItem& item) { return IsPictureFile(item.path); });
}

double FileSizeMB(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return 0;
    return static_cast<double>(info.size()) / 1048576.0;
}

QString JoinFileNameText(const QString& path) { return QFileInfo(path).fileName(); }

QString JoinFormatText(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return QString();
    return name.mid(dot + 1, 3).toUpper();
}

QString JoinSizeText(const QString& path) {
    // The user's decimal separator, and no grouping: 1234.50, never 1,234.50.
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(FileSizeMB(path), 'f', 2) + QStringLiteral("  MB");
}

void JoinItems::Add(const QStringList& files) {
    for (const QString& f : files) items.append(JoinItem{f, 0});
}

void JoinItems::Insert(int before, const QStringList& files) {
    int at = std::clamp(before, 1, count() + 1) - 1;
    for (const QString& f : files) items.insert(at++, JoinItem{f, 0});
}

int JoinItems::Move(int number, int before) {
    if (!contains(number) || before < 1 || before > count() + 1) return 0;
    // Once the entry is out, the ones after it move up one place.
    const int target = before > number ? before - 1 : before;
    if (target == number) return 0;
    items.move(number - 1, target - 1);
    return target;
}

bool JoinItems::Remove(int number) {
    if (!contains(number)) return false;
    items.removeAt(number - 1);
    return true;
}

bool JoinItems::MoveUp(int number) {
    if (!contains(number) || number == 1) return false;
    items.swapItemsAt(number - 1, number - 2);
    return true;
}

bool JoinItems::MoveDown(int number) {
    if (!contains(number) || number == count()) return false;
    items.swapItemsAt(number - 1, number);
    return true;
}

bool JoinItems::SetDuration(int number, double seconds) {
    if (!contains(number)) return false;
    items[number - 1].duration = seconds;
    return true;
}

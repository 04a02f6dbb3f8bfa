#include "cli/user_text.h"

#include "cli/interrupt.h"
#include "common/bounded_read.h"
#include "engine/quillmark_error.h"

#include <QDir>
#include <QStringDecoder>

std::optional<QString> ReadUserText(const QString& path) {
    const std::optional<QByteArray> bytes = ReadBoundedInput(path, kMaxListBytes, Interrupt::WakeDescriptor());
    if (!bytes)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(*bytes);
    // Names in it would turn into other names that do not exist.
    if (decoder.hasError())
        throw QuillmarkError(QStringLiteral("Cannot read \"%1\": it is not UTF-8 text").arg(QDir::toNativeSeparators(path)));
    return text;
}

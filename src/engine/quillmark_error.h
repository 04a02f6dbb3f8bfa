#pragma once

#include <QString>
#include <stdexcept>

// The one error type that crosses layers. Raised inside the core (players, file
// helpers, settings) and turned into a single message box at the edge: the handler
// that started the work catches it and shows `message()`.
class QuillmarkError : public std::runtime_error {
public:
    explicit QuillmarkError(const QString& message)
        : std::runtime_error(message.toStdString()), text(message) {}
    const QString& message() const { return text; }

private:
    QString text;
};

#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QWidget;

// Every message box and every request to the desktop goes through here, so tests
// can see what was shown or opened without a modal box or a browser in the way.
namespace Messages {

enum class Kind { Information, Error };

// Modal information box with an OK button; caption "Information" unless given.
void information(QWidget* parent, const QString& text, const QString& caption = QStringLiteral("Information"));
// The program's error box: its title as caption and a full stop appended when the
// text ends in a letter, a digit or the folder separator.
void error(QWidget* parent, const QString& text);
// The error text as the error box shows it.
QString errorText(const QString& text);

// The box that ends a split or a join: "Task Complete!" with OK and "Open Folder",
// which shows the output folder in the desktop's file manager, and under it the
// names of the files written (WrittenFilesText).
void taskComplete(QWidget* parent, const QString& outputFolder, const QStringList& files = {});
QString WrittenFilesText(const QStringList& files);

// A question with a button that does it ("Replace") and Cancel; true for the former.
bool confirm(QWidget* parent, const QString& text, const QString& acceptCaption);

// A Yes/No question with the program's title as caption; true for Yes.
bool question(QWidget* parent, const QString& text);

// Runs a handler; an error it raises ends it and is shown in the error box.
void guarded(QWidget* parent, const std::function<void()>& handler);

// Asks the desktop to open an address (web page, mail address or local file).
// Failure is not reported: a desktop without a browser simply shows nothing.
void openUrl(const QUrl& url);

// Test seam: while set, boxes and url requests go to these instead of the desktop.
using BoxHandler = std::function<void(Kind kind, const QString& caption, const QString& text)>;
using UrlHandler = std::function<void(const QUrl& url)>;
// Answers a box that offers a choice: the question's text, or the extra button's
// caption ("Open Folder"); true presses it. Unset, tests answer No.
using AnswerHandler = std::function<bool(const QString& textOrButton)>;
void setBoxHandler(BoxHandler handler);
void setUrlHandler(UrlHandler handler);
void setAnswerHandler(AnswerHandler handler);

}  // namespace Messages

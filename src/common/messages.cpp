#include "common/messages.h"

#include "engine/quillmark_error.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace Messages {

namespace {
BoxHandler boxHandler;
UrlHandler urlHandler;
AnswerHandler answerHandler;
const QString programTitle = QStringLiteral("Quillmark");

void show(QWidget* parent, Kind kind, const QString& caption, const QString& text) {
    if (boxHandler) {
        boxHandler(kind, caption, text);
        return;
    }
    QMessageBox box(kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Information, caption, text,
                    QMessageBox::Ok, parent);
    box.exec();
}
}  // namespace

void information(QWidget* parent, const QString& text, const QString& caption) {
    show(parent, Kind::Information, caption, text);
}

QString errorText(const QString& text) {
    if (text.isEmpty()) return text;
    const QChar last = text.back();
    const bool endsInSeparator = last == QDir::separator() || last == QLatin1Char('/');
    return last.isLetterOrNumber() || endsInSeparator ? text + QLatin1Char('.') : text;
}

void error(QWidget* parent, const QString& text) { show(parent, Kind::Error, programTitle, errorText(text)); }

QString WrittenFilesText(const QStringList& files) {
    if (files.isEmpty()) return {};
    QStringList names;
    for (const QString& file : files) names << QFileInfo(file).fileName();
    return (files.size() == 1 ? QStringLiteral("Written: ") : QStringLiteral("Written:\n")) + names.join('\n');
}

bool confirm(QWidget* parent, const QString& text, const QString& acceptCaption) {
    if (boxHandler) {
        boxHandler(Kind::Information, programTitle, text);
        return answerHandler && answerHandler(text);
    }
    QMessageBox box(QMessageBox::Question, programTitle, text, QMessageBox::Cancel, parent);
    QPushButton* accept = box.addButton(acceptCaption, QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == accept;
}

void taskComplete(QWidget* parent, const QString& outputFolder, const QStringList& files) {
    const QString text = QStringLiteral("Task Complete!");
    const QString openFolder = QStringLiteral("Open &Folder");
    bool open = false;
    if (boxHandler) {
        boxHandler(Kind::Information, QStringLiteral("Information"), text);
        open = answerHandler && answerHandler(QStringLiteral("Open Folder"));
    } else {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok, parent);
        box.setInformativeText(WrittenFilesText(files));
        QPushButton* folderButton = box.addButton(openFolder, QMessageBox::ActionRole);
        folderButton->setToolTip(QDir::toNativeSeparators(outputFolder));
        box.exec();
        open = box.clickedButton() == folderButton;
    }
    if (open) openUrl(QUrl::fromLocalFile(outputFolder));
}

bool question(QWidget* parent, const QString& text) {
    if (boxHandler) {
        boxHandler(Kind::Information, programTitle, text);
        return answerHandler && answerHandler(text);
    }
    return QMessageBox::question(parent, programTitle, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void guarded(QWidget* parent, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const QuillmarkError& e) {
        error(parent, e.message());
    } catch (const std::exception& e) {
        error(parent, QString::fromLocal8Bit(e.what()));
    }
}

void openUrl(const QUrl& url) {
    if (urlHandler) {
        urlHandler(url);
        return;
    }
    QDesktopServices::openUrl(url);
}

void setBoxHandler(BoxHandler handler) { boxHandler = std::move(handler); }
void setUrlHandler(UrlHandler handler) { urlHandler = std::move(handler); }
void setAnswerHandler(AnswerHandler handler) { answerHandler = std::move(handler); }

}  // namespace Messages

#include "common/messages.h"
#include "engine/quillmark_error.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

TEST(ErrorBox, AppendsAFullStopAfterALetterDigitOrSeparator) {
    EXPECT_EQ(Messages::errorText("File not found"), "File not found.");
    EXPECT_EQ(Messages::errorText("Error 42"), "Error 42.");
    EXPECT_EQ(Messages::errorText("Cannot create /tmp/out" + QString(QDir::separator())),
              "Cannot create /tmp/out" + QString(QDir::separator()) + ".");
    EXPECT_EQ(Messages::errorText("Done!"), "Done!");
    EXPECT_EQ(Messages::errorText("Already."), "Already.");
    EXPECT_EQ(Messages::errorText(""), "");
}

TEST(ErrorBox, GuardedHandlersShowTheirErrorWithTheProgramTitle) {
    QStringList shown;
    Messages::setBoxHandler([&](Messages::Kind kind, const QString& caption, const QString& text) {
        shown << QString("%1|%2|%3").arg(kind == Messages::Kind::Error ? "error" : "info", caption, text);
    });
    bool after = false;
    Messages::guarded(nullptr, [&] {
        throw QuillmarkError("No MCI device open");
        after = true;
    });
    Messages::information(nullptr, "Task Complete!");
    Messages::setBoxHandler({});
    EXPECT_FALSE(after);
    EXPECT_EQ(shown, (QStringList{"error|Quillmark|No MCI device open.", "info|Information|Task Complete!"}));
}

namespace {

// Presses the button of the modal box that is about to open, as a user would.
void PressInNextBox(const QString& caption, QString* boxText, QString* details = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *boxText = box->text();
        if (details) *details = box->informativeText();
        for (QAbstractButton* button : box->buttons())
            if (button->text().remove('&') == caption) button->click();
    });
}

}  // namespace

TEST(TaskCompleteBox, OpenFolderShowsTheOutputFolderAndOkDoesNot) {
    QList<QUrl> opened;
    Messages::setUrlHandler([&](const QUrl& url) { opened << url; });
    QString text;
    PressInNextBox("Open Folder", &text);
    Messages::taskComplete(nullptr, "/tmp/my parts/");
    EXPECT_EQ(text, "Task Complete!");
    PressInNextBox("OK", &text);
    Messages::taskComplete(nullptr, "/tmp/other/");
    Messages::setUrlHandler({});
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile("/tmp/my parts/")});
}

TEST(QuestionBox, YesAndNoAreTheAnswer) {
    QString text;
    PressInNextBox("Yes", &text);
    EXPECT_TRUE(Messages::question(nullptr, "A render is running. Stop it and quit?"));
    EXPECT_EQ(text, "A render is running. Stop it and quit?");
    PressInNextBox("No", &text);
    EXPECT_FALSE(Messages::question(nullptr, "A render is running. Stop it and quit?"));
}

TEST(TaskCompleteBox, NamesTheFilesWrittenUnderItsText) {
    QString text, details;
    PressInNextBox("OK", &text, &details);
    Messages::taskComplete(nullptr, "/tmp/parts/", {"/tmp/parts/clip-1.mp4", "/tmp/parts/clip-2.mp4"});
    EXPECT_EQ(text, "Task Complete!");
    EXPECT_EQ(details, "Written:\nclip-1.mp4\nclip-2.mp4");
}

TEST(ConfirmBox, ReplaceOrCancel) {
    QString text;
    PressInNextBox("Replace", &text);
    EXPECT_TRUE(Messages::confirm(nullptr, "1 file already exists in /tmp/. Replace it?", "&Replace"));
    EXPECT_EQ(text, "1 file already exists in /tmp/. Replace it?");
    PressInNextBox("Cancel", &text);
    EXPECT_FALSE(Messages::confirm(nullptr, "1 file already exists in /tmp/. Replace it?", "&Replace"));
}

#include "common/messages.h"
#include "engine/quillmark_error.h"

#include <QDir>
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

// What a render may write: never an input under another name, names of every
// shape the folder takes, the permissions of the file it replaces, and temporaries
// that a crash leaves behind are cleared later.
#include "engine/ffmpeg/temporary_file.h"
#include "render_wait.h"
#include "test_media.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray Checksum(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QStringList Sorted(QStringList names) {
    names.sort();
    return names;
}

mode_t Permissions(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

void SetAge(const QString& path, int seconds) {
    QFile f(path);
    f.open(QIODevice::ReadWrite);
    f.setFileTime(QDateTime::currentDateTime().addSecs(-seconds), QFileDevice::FileModificationTime);
}

class EngineSafety : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        engine = CreateVideoEdit();
        engine->SetOutputType(8);
        source = folder.filePath("real.mp4");
        QFile::copy(testmedia::H264Clip(), source);
        sourceSum = Checksum(source);
    }
    void addHalfSecondOf(const QString& file) {
        engine->ClearClips();
        engine->AddVideoClip(file, 0, 0.5, 0);
        engine->AddAudioClip(file, 0, 0.5);
    }
    QString path(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    std::unique_ptr<TVideoEdit> engine;
    QString source;
    QByteArray sourceSum;
};

TEST_F(EngineSafety, AnInputUnderAnotherNameIsNeverWritten) {
    ASSERT_EQ(::symlink(QFile::encodeName(source).constData(), QFile::encodeName(path("link.mp4")).constData()), 0);
    ASSERT_EQ(::link(QFile::encodeName(source).constData(), QFile::encodeName(path("hard.mp4")).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(source).constData(), QFile::encodeName(path("out.avi")).constData()), 0);
    struct Case {
        const char* input;
        const char* output;
    };
    // Read through a link and written under the real name; a hard link; a target
    // that is itself a link to the input.
    for (const Case& c : {Case{"link.mp4", "real.mp4"}, Case{"hard.mp4", "real.mp4"}, Case{"real.mp4", "hard.mp4"},
                          Case{"real.mp4", "out.avi"}}) {
        SCOPED_TRACE(std::string(c.input) + " -> " + c.output);
        addHalfSecondOf(path(c.input));
        const RenderOutcome r = RenderAndWait(*engine, path(c.output));
        EXPECT_FALSE(r.completed);
        EXPECT_TRUE(r.error.contains(path(c.output))) << r.error.toStdString();
        EXPECT_EQ(Checksum(source), sourceSum);
        EXPECT_EQ(Sorted(FolderEntries(folder.path())), (QStringList{"hard.mp4", "link.mp4", "out.avi", "real.mp4"}));
    }
    // A new name beside the input is fine.
    addHalfSecondOf(path("link.mp4"));
    EXPECT_TRUE(RenderAndWait(*engine, path("new.avi")).completed);
}

TEST_F(EngineSafety, AClipTimeThatIsNoNumberIsRefusedNamingFileAndValue) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    engine->AddVideoClip(source, nan, 1, 0);
    RenderOutcome r = RenderAndWait(*engine, path("a.avi"));
    EXPECT_FALSE(r.completed);
    EXPECT_TRUE(r.error.contains(source) && r.error.contains("nan")) << r.error.toStdString();

    engine->ClearClips();
    engine->AddVideoClip(source, 0, 1, 0);
    engine->AddAudioClip(path("music.mp4"), 0, inf);
    r = RenderAndWait(*engine, path("b.avi"));
    EXPECT_TRUE(r.error.contains(path("music.mp4")) && r.error.contains("inf")) << r.error.toStdString();

    engine->ClearClips();
    engine->AddVideoClip(source, 0, 1, 0);
    engine->AddTransition(0, -inf, 1);
    r = RenderAndWait(*engine, path("c.avi"));
    EXPECT_TRUE(r.error.contains(path("c.avi")) && r.error.contains("-inf")) << r.error.toStdString();
    EXPECT_EQ(FolderEntries(folder.path()), QStringList{"real.mp4"});
}

TEST_F(EngineSafety, NamesWithSpacesQuotesAndLettersOfAnyScriptAreWrittenAndReadBack) {
    const QString odd = path("it's a \"clip\" – Ünïcødé 片.avi");
    addHalfSecondOf(source);
    ASSERT_TRUE(RenderAndWait(*engine, odd).completed);
    // Read back by the engine itself as the next render's input.
    addHalfSecondOf(odd);
    const RenderOutcome again = RenderAndWait(*engine, path("again.avi"));
    ASSERT_TRUE(again.completed) << again.error.toStdString();
    auto seconds = [](const QString& file) {
        return testmedia::Stream(testmedia::Probe(file), "video")["duration"].toString().toDouble();
    };
    EXPECT_GT(seconds(odd), 0.4);
    EXPECT_NEAR(seconds(path("again.avi")), seconds(odd), 0.05);
}

TEST_F(EngineSafety, TheLongestNameTheFolderTakesIsWritten) {
    // 255 bytes of UTF-8: 125 two-byte letters, one more letter and ".avi".
    const QString name = QString(125, QChar(0x00E9)) + "x.avi";
    ASSERT_EQ(QFile::encodeName(name).size(), 255);
    addHalfSecondOf(source);
    const RenderOutcome r = RenderAndWait(*engine, path(name));
    ASSERT_TRUE(r.completed) << r.error.toStdString();
    EXPECT_EQ(testmedia::Stream(testmedia::Probe(path(name)), "video")["codec_name"].toString(), "mpeg4");
    EXPECT_EQ(Sorted(FolderEntries(folder.path())), Sorted({name, "real.mp4"}));
}

TEST_F(EngineSafety, AReplacedFileKeepsItsPermissions) {
    for (const mode_t mode : {mode_t(0600), mode_t(0755)}) {
        SCOPED_TRACE(mode);
        const QString target = path(QStringLiteral("kept-%1.avi").arg(mode, 0, 8));
        QFile(target).open(QIODevice::WriteOnly);
        ::chmod(QFile::encodeName(target).constData(), mode);
        addHalfSecondOf(source);
        ASSERT_TRUE(RenderAndWait(*engine, target).completed);
        EXPECT_GT(QFileInfo(target).size(), 1000);
        EXPECT_EQ(Permissions(target), mode);
    }
    const mode_t old = ::umask(022);
    addHalfSecondOf(source);
    const bool done = RenderAndWait(*engine, path("new.avi")).completed;
    ::umask(old);
    ASSERT_TRUE(done);
    EXPECT_EQ(Permissions(path("new.avi")), mode_t(0644));
}

TEST_F(EngineSafety, TemporariesOlderThanADayAreClearedAndNothingElse) {
    const QString stale = path(".old.avi.quillmark-0123abcd.part");
    const QString fresh = path(".busy.avi.quillmark-89abcdef.part");  // another render still writing
    const QString lookalike = path(".notes.part");
    const QString plain = path("holiday.quillmark-0123abcd.part");
    for (const QString& file : {stale, fresh, lookalike, plain}) {
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write("bytes");
    }
    for (const QString& file : {stale, lookalike, plain})
        SetAge(file, 25 * 3600);
    SetAge(fresh, 3600);
    addHalfSecondOf(source);
    ASSERT_TRUE(RenderAndWait(*engine, path("out.avi")).completed);
    EXPECT_FALSE(QFile::exists(stale));
    for (const QString& kept : {fresh, lookalike, plain})
        EXPECT_TRUE(QFile::exists(kept)) << kept.toStdString();
}

TEST(EngineTemporaryFile, NamesAreRecognisedAndFitTheFolderEntry) {
    QTemporaryDir folder;
    QString reason;
    for (const QString& name : {QStringLiteral("out.avi"), QString(126, QChar(0x00E9)) + ".a",
                                QString::fromUtf8("\xF0\x9F\x98\x80").repeated(60) + ".avi" /* four bytes a letter */}) {
        const QString temporary = CreateTemporaryBeside(folder.filePath(name), reason);
        ASSERT_FALSE(temporary.isEmpty()) << reason.toStdString();
        const QString entry = QFileInfo(temporary).fileName();
        EXPECT_TRUE(IsTemporaryName(entry)) << entry.toStdString();
        EXPECT_LE(QFile::encodeName(entry).size(), 255);
        EXPECT_TRUE(QFile::exists(temporary));
    }
    EXPECT_FALSE(IsTemporaryName("out.avi"));
    EXPECT_FALSE(IsTemporaryName(".out.avi.quillmark-0123abcd.part.avi"));
    EXPECT_FALSE(IsTemporaryName(".out.avi.quillmark-0123ABCG.part"));
}

} // namespace

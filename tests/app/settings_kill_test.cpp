// A save killed at any moment leaves the old file or the new one, never a mix.

#include "common/ini_file.h"
#include "formats/format_settings.h"
#include "support/temp_folder.h"

#include <QDir>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Two sets in which every one of the dialog's keys has a different value.
FormatSettings firstSet() { return FormatSettings(); }

FormatSettings secondSet() {
    FormatSettings s;
    s.VideoOnly = !s.VideoOnly;
    s.ResizeMode += 1;
    s.VcdMode += 1, s.VcdWidth += 1, s.VcdHeight += 1, s.VcdFrameRate += 1;
    s.SvcdMode += 1, s.SvcdWidth += 1, s.SvcdHeight += 1, s.SvcdFrameRate += 1;
    s.DvdMode += 1, s.DvdWidth += 1, s.DvdHeight += 1, s.DvdFrameRate += 1;
    s.MpegWidth += 1, s.MpegHeight += 1, s.MpegFrameRate += 1, s.MpegAudioBitrate += 1;
    s.MpegAudioSampleRate += 1;
    s.AviWidth += 1, s.AviHeight += 1, s.AviFrameRate += 1, s.AviAudioCompressor += 1;
    s.AviVideoCompressor += 1, s.AviOriginalSize = !s.AviOriginalSize;
    s.WmvProfile += 1;
    return s;
}

void save(const QString& path, const FormatSettings& s) {
    IniFile ini(path);
    SaveFormatSettings(ini, s);
}

QStringList temporariesIn(const TempFolder& dir) {
    return QDir(dir.path()).entryList({"setup.ini.*"}, QDir::Files | QDir::Hidden | QDir::System);
}

}  // namespace

TEST(SettingsSaveKilled, LeavesEntirelyTheOldOrTheNewValues) {
    TempFolder dir;
    // The user's own lines, in an older editor's encoding and line ends, must come through too.
    const QString path = dir.write("setup.ini", "; mine\r\n[general]\r\noutputpath=C:\\Pfad\\M\xfcll\r\n");
    save(path, firstSet());
    const QByteArray first = dir.read("setup.ini");
    save(path, secondSet());
    const QByteArray second = dir.read("setup.ini");
    save(path, firstSet());
    ASSERT_EQ(dir.read("setup.ini"), first);
    ASSERT_NE(first, second);
    ASSERT_TRUE(first.startsWith("; mine\r\n[general]\r\noutputpath=C:\\Pfad\\M\xfcll\r\n"));

    // Kills land anywhere from before a child's first save to a few saves in,
    // however slow that is here: a forked child pays for copying what it writes
    // to (a sanitized build's shadow memory), and a loaded disk for its fsync.
    const auto started = std::chrono::steady_clock::now();
    const pid_t probe = ::fork();
    ASSERT_GE(probe, 0);
    if (probe == 0) {
        save(path, firstSet());
        ::_exit(0);
    }
    int probeStatus = 0;
    ASSERT_EQ(::waitpid(probe, &probeStatus, 0), probe);
    ASSERT_TRUE(WIFEXITED(probeStatus) && WEXITSTATUS(probeStatus) == 0);
    const auto saveMicroseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count();
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> delayMicroseconds(0, int(std::max<long long>(20000, 3 * saveMicroseconds)));
    int changes = 0, killedMidSave = 0;
    QByteArray before = first;
    const int kills = 150;
    for (int i = 0; i < kills; ++i) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (int n = 0;; ++n) save(path, n % 2 ? firstSet() : secondSet());
            } catch (...) {
            }
            ::_exit(2);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped on its own: a save failed";

        const QByteArray now = dir.read("setup.ini");
        ASSERT_TRUE(now == first || now == second) << "kill " << i << " left a mix:\n" << now.toStdString();
        changes += now != before;
        before = now;
        // A killed save may leave its own temporary; the next save clears it, so they never pile up.
        const QStringList temporaries = temporariesIn(dir);
        ASSERT_LE(temporaries.size(), 1) << temporaries.join(' ').toStdString();
        if (!temporaries.isEmpty()) {
            // Ours or an earlier child's, when this one was killed before its first save began.
            EXPECT_TRUE(temporaries[0].startsWith("setup.ini.saving-")) << temporaries[0].toStdString();
            killedMidSave += temporaries[0] == "setup.ini.saving-" + QString::number(child);
        }
    }
    // The kills must have struck while a temporary was being written, or this proves nothing.
    EXPECT_GT(killedMidSave, 0);
    EXPECT_GT(changes, 0);
    RecordProperty("KilledMidSave", killedMidSave);

    save(path, secondSet());
    EXPECT_TRUE(temporariesIn(dir).isEmpty());
    EXPECT_EQ(dir.read("setup.ini"), second);
}

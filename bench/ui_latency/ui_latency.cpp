// How long the window stops answering while it does what users do: a 5 ms timer on
// the UI thread records its worst lateness during each action, offscreen, with the
// real engine, players and probe.
//
// Usage: ui_latency MEDIA_FOLDER   (bench/ui_latency.sh makes the media and runs it)
#include "app/main_form.h"
#include "engine/duration_probe.h"
#include "engine/media_player.h"
#include "engine/video_edit.h"
#include "common/file_filters.h"
#include "common/messages.h"
#include "join/join_page.h"
#include "split/split_page.h"
#include "split/split_point_panel.h"
#include "video_panel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Worst lateness of a 5 ms timer while the event loop runs.
class StallMeter : public QObject {
public:
    StallMeter() {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(5);
        connect(&timer, &QTimer::timeout, this, [this] {
            const qint64 now = clock.nsecsElapsed();
            worst = std::max(worst, (now - last) / 1e6 - 5);
            last = now;
        });
        clock.start();
    }
    void begin() {
        worst = 0;
        last = clock.nsecsElapsed();
        timer.start();
    }
    double end() {
        timer.stop();
        return std::max(worst, (clock.nsecsElapsed() - last) / 1e6 - 5);
    }

private:
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    double worst = 0;
};

// Runs the event loop until `done` holds or `ms` pass.
void SpinUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void Spin(int ms) {
    SpinUntil([] { return false; }, ms);
}

// Each step is queued so the meter's timer runs between them, as the user's
// clicks and keys would arrive.
void Steps(const std::vector<std::function<void()>>& steps, int pauseMs) {
    for (const auto& step : steps) {
        QTimer::singleShot(0, step);
        Spin(pauseMs);
    }
}


// The frame number the source burnt into its top left corner: 16 cells of 64x64
// pixels of 1920x1080, lowest bit first, white for 1. -1 without a picture.
int BurntInFrame(const QImage& picture) {
    if (picture.isNull()) return -1;
    int n = 0;
    for (int bit = 0; bit < 16; ++bit) {
        const int x = (bit * 64 + 32) * picture.width() / 1920;
        const int y = 32 * picture.height() / 1080;
        if (qGray(picture.pixel(x, y)) > 128) n |= 1 << bit;
    }
    return n;
}

// The frame the read-out names: "(00:00:09.000, frame 225)".
int NamedFrame(const QLabel& readOut) {
    const auto match = QRegularExpression("frame (\\d+)").match(readOut.text());
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

struct StepTimes {
    std::vector<double> ms;
    int matching = 0;
    double median() const {
        if (ms.empty()) return 0;
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
    double worst() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

// Presses a key in the split-point group `times` times, each once the frame the
// last one asked for is on show, and times each from the press until the read-out
// names a new frame; then checks that frame against the picture on show.
// `video` is the preview's own window, a VideoPanel.
StepTimes PressAndTime(SplitPointPanel& group, QWidget* video, int key, Qt::KeyboardModifiers modifiers, int times) {
    StepTimes result;
    for (int i = 0; i < times; ++i) {
        const QString before = group.lbExactPosition->text();
        QElapsedTimer clock;
        QTimer::singleShot(0, [&] {
            clock.start();
            QKeyEvent press(QEvent::KeyPress, key, modifiers);
            QApplication::sendEvent(group.ListView1, &press);
        });
        SpinUntil(
            [&] {
                const QString shown = group.lbExactPosition->text();
                return clock.isValid() && shown != before && shown.contains("frame");
            },
            10000);
        result.ms.push_back(clock.nsecsElapsed() / 1e6);
        Spin(10);  // the picture is drawn as the read-out changes; let it land
        const auto* panel = qobject_cast<VideoPanel*>(video);
        if (panel && BurntInFrame(panel->frame()) == NamedFrame(*group.lbExactPosition)) ++result.matching;
    }
    return result;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ui_latency MEDIA_FOLDER\n");
        return 2;
    }
    const QDir media(QString::fromLocal8Bit(argv[1]));
    // A box would wait for a click no one gives; say what it said instead.
    Messages::setBoxHandler([](Messages::Kind, const QString& caption, const QString& text) {
        std::fprintf(stderr, "box: %s: %s\n", qPrintable(caption), qPrintable(text));
    });
    QTemporaryDir work;
    TMainForm::Services services;
    services.makeEngine = [] { return CreateVideoEdit(); };
    services.makePlayer = [] { return CreateMediaPlayer(); };
    services.measureDuration = MeasureDuration;
    // The build's program folder, where the tips and the manual lie.
    const QString programFolder = QDir(QCoreApplication::applicationDirPath() + "/../bin").absolutePath() + "/";
    auto* form = new TMainForm({programFolder,
                                work.filePath("setup.ini")},
                               services);
    form->show();
    Spin(200);
    StallMeter meter;
    std::printf("%-52s %10s\n", "action", "worst stall (ms)");
    const auto report = [&](const char* action, double ms) { std::printf("%-52s %10.1f\n", action, ms); };

    {   // Probe a one-hour source through the split wizard's step 1.
        form->BtnGoSplitClick();
        SplitPage& page = *form->TabSheet1;
        SetOpenDialogHandler([&](const OpenDialogSetup&) { return QStringList{media.filePath("hour.mp4")}; });
        meter.begin();
        QTimer::singleShot(0, [&] { page.SpeedBtnOpen->click(); });
        SpinUntil([&] { return page.BitBtnNext->isEnabled() && !page.EdFilePathName->text().isEmpty(); }, 60000);
        Spin(100);
        report("probe a 1-hour source", meter.end());
    }
    {   // One render, start to end.
        auto engine = CreateVideoEdit();
        engine->SetOutputType(4);
        engine->AddVideoClip(media.filePath("clip.mp4"), 0, 10, 0);
        engine->AddAudioClip(media.filePath("clip.mp4"), 0, 10);
        bool done = false;
        QObject::connect(engine.get(), &TVideoEdit::OnComplete, [&] { done = true; });
        QObject::connect(engine.get(), &TVideoEdit::OnError, [&](const QString&) { done = true; });
        meter.begin();
        QTimer::singleShot(0, [&] { engine->StartRender(work.filePath("render.mpg")); });
        SpinUntil([&] { return done; }, 120000);
        report("run a render (10 s to DVD PAL)", meter.end());
    }
    {   // Stop a 200-clip render right after Start.
        auto engine = CreateVideoEdit();
        engine->SetOutputType(8);
        // 200 different files (links to one clip), so each must be opened and looked at.
        for (int i = 0; i < 200; ++i) {
            const QString link = work.filePath(QStringLiteral("clip-%1.mp4").arg(i));
            QFile::link(media.filePath("clip.mp4"), link);
            engine->AddVideoClip(link, i % 10, i % 10 + 0.5, 0);
            engine->AddAudioClip(link, i % 10, i % 10 + 0.5);
        }
        meter.begin();
        QTimer::singleShot(0, [&] {
            engine->StartRender(work.filePath("stopped.avi"));
            engine->StopRender();
        });
        Spin(300);
        report("Stop a 200-clip render right after Start", meter.end());
    }
    {   // 100 pictures of 4000x3000 into the join list, each selected in turn.
        form->BtnGoJoinClick();
        JoinPage& page = *form->TabSheet2;
        QStringList pictures;
        for (int i = 0; i < 100; ++i)
            pictures << media.filePath("big.jpg");
        SetOpenDialogHandler([&](const OpenDialogSetup&) { return pictures; });
        meter.begin();
        QTimer::singleShot(0, [&] { page.ToolBtnOpen->trigger(); });
        Spin(200);
        std::vector<std::function<void()>> selections;
        for (int row = 0; row < 100; ++row)
            selections.push_back([&page, row] {
                if (row < page.ListView2->topLevelItemCount())
                    page.ListView2->setCurrentItem(page.ListView2->topLevelItem(row));
            });
        Steps(selections, 20);
        Spin(500);
        report("add 100 pictures of 4000x3000 and select each", meter.end());
    }
    {   // Type 99999999 into the amount box with "By Amount" chosen.
        form->BtnGoSplitClick();
        SplitPage& page = *form->TabSheet1;
        page.showStep(2);
        page.RBAmount->click();
        page.EdAmount->clear();
        meter.begin();
        std::vector<std::function<void()>> keys;
        for (int n = 1; n <= 8; ++n)
            keys.push_back([&page, n] {
                page.EdAmount->setText(QString(n, '9'));
                page.repaint(); // the pie chart paints what the box now says
            });
        Steps(keys, 30);
        report("type 99999999 into the amount box", meter.end());
    }
    {   // Frame steps in the split editor on a 1080p H.264 source with a keyframe
        // every 250 frames: 1 s jumps to frame 225, steps forward across the
        // keyframe at 250, then back.
        form->BtnGoSplitClick();
        SplitPage& page = *form->TabSheet1;
        page.showStep(1);
        SetOpenDialogHandler([&](const OpenDialogSetup&) { return QStringList{media.filePath("step1080.mp4")}; });
        page.SpeedBtnOpen->click();
        SpinUntil([&] { return page.BitBtnNext->isEnabled() && page.EdFilePathName->text().endsWith("step1080.mp4"); },
                  60000);
        Spin(100);
        page.RBSame->click();
        page.BitBtnNext->click();
        page.RBManual->click();
        SplitPointPanel& group = *page.GroupBoxManual;
        meter.begin();
        const StepTimes open = PressAndTime(group, nullptr, Qt::Key_Home, Qt::NoModifier, 1);
        const double openStall = meter.end();
        struct Row {
            const char* action;
            int key;
            Qt::KeyboardModifiers modifiers;
            int times;
        };
        const Row rows[] = {{"jump 1 s forward (Shift+Right) x9", Qt::Key_Right, Qt::ShiftModifier, 9},
                            {"step 1 frame forward (Right) x40", Qt::Key_Right, Qt::NoModifier, 40},
                            {"step 1 frame back (Left) x10", Qt::Key_Left, Qt::NoModifier, 10}};
        std::printf("\n%-40s %8s %8s %8s %8s\n", "split editor, 1080p H.264, keyframe / 250", "median", "worst",
                    "stall", "frames");
        std::printf("%-40s %8.1f %8.1f %8.1f\n", "open the source at its first frame (Home)", open.median(),
                    open.worst(), openStall);
        for (const Row& r : rows) {
            meter.begin();
            const StepTimes t = PressAndTime(group, form->MP1->OwnWindow(), r.key, r.modifiers, r.times);
            const double stall = meter.end();
            std::printf("%-40s %8.1f %8.1f %8.1f %5d/%-3d\n", r.action, t.median(), t.worst(), stall, t.matching,
                        r.times);
        }
        page.GroupBoxManual->SpeedBtnStop->click();
    }
    SetOpenDialogHandler({});
    Messages::setBoxHandler({});
    delete form;
    return 0;
}


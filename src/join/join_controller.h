#pragma once

#include "common/file_filters.h"
#include "common/run_clock.h"
#include "common/track_choice.h"
#include "formats/format_settings.h"
#include "formats/output_format.h"
#include "join/join_list.h"
#include "join/join_media_info.h"
#include "join/join_preview.h"
#include "join/join_run.h"
#include "join/join_timeline.h"
#include "join/picture_loader.h"
#include "join/picture_options.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class JoinPage;
class TMediaPlayer;
class TPicSetForm;
class TTracksForm;
class TVideoEdit;
class QWidget;

// The join page's behaviour: the list of videos and pictures, the picture
// options, the preview and the join run. It drives the page's controls, the join
// engine and the preview player; the main window only shows the page and answers
// the two requests below.
class JoinController : public QObject {
    Q_OBJECT
public:
    using PlayerFactory = std::function<std::unique_ptr<TMediaPlayer>()>;

    // `VE2` renders joins; `MP2` previews the list's videos and measures them;
    // `transitionList` offers the transition names and count; `makeMusicPlayer`
    // gives the options dialog its music preview player when it is first made.
    // The controller is a child of `window` and may outlive the engine and the
    // player there; it never touches them once they are gone.
    JoinController(JoinPage& page, TVideoEdit& VE2, TMediaPlayer& MP2, OutputSelection& output,
                   QString& joinOutputPath, const FormatSettings& formats, PictureOptions& pictureOptions,
                   const QString& settingsFile, const TVideoEdit& transitionList, PlayerFactory makeMusicPlayer,
                   QWidget* window);
    ~JoinController() override;

    OpenDialogSetup OpenDialog2;
    // Where each run's random transitions come from; a fresh clock seed per run.
    std::function<TransitionDraw()> makeTransitionDraw = ClockSeededDraw;

    JoinItems joinItems;
    int JoinCount = 0;
    JoinSelection selection;
    JoinPreview preview;
    // Thumbnails and probed lengths for the rows and the total. Its probe is the
    // preview's measure unless given one of its own.
    JoinMediaInfo mediaInfo;
    // The tracks ticked in each video, for the program's run.
    TrackChoices trackChoices;

    bool running() const { return run.running(); }
    const QString& JoinOutputFile() const { return run.JoinOutputFile(); }
    // The options dialog once it has been opened; nullptr before.
    TPicSetForm* PicSetForm() const;
    // The tracks dialog once it has been opened; nullptr before.
    TTracksForm* TracksForm() const;

    // The window is closing: stop a running join, the preview and the music.
    // Call it while the engine and the players still exist.
    void Shutdown();

    void ToolBtnOpenClick();
    void ToolBtnRemoveClick();
    void ToolBtnRemoveAllClick();
    void ToolBtnMoveUpClick();
    void ToolBtnMoveDownClick();
    void ListView2SelectItem(int row);
    void SpeedBtnSavePath2Click();
    void ToolBtnPicSetClick();
    void ToolBtnTracksClick();
    void BitBtnJoinClick();
    void BitBtnStopJoinClick();
    void BitBtnExitJoinClick();
    void RefreshJoinList();
    void DisableJoinControls();
    void EnableJoinControls();
    // The list's own menu, which edits what a run is writing.
    void setListMenuEnabled(bool enabled);
    // The bar and the line under it once the run has ended this way.
    void showRunEnd(const QString& barFormat, const QString& times);
    // What BitBtnJoinClick does once its controls are locked.
    void startJoin();
    // Files dropped on the list, put in before `row` (the row count: at the end).
    // Files of types the join cannot use are refused with one message naming them.
    void DropFiles(const QStringList& files, int row);
    // A row dragged to stand before `to`, as the rows are numbered before the move.
    void DragRow(int from, int to);

signals:
    // Exit: the Getting Started page comes back.
    void exitRequested();
    // "Settings...": the format settings dialog opens.
    void settingsRequested();

private:
    int selectedRow() const;
    void selectRow(int row);
    void onSelectionChanged();
    void onRunFinished();
    void onRunFailed(const QString& message);
    void addFiles(const QStringList& files, int beforeRow);
    void installKeys();
    void showFacts(const QString& file);
    void updateTotal();
    // Each video of the list once, in list order.
    QStringList videoFiles() const;
    // The list's first video, whose container "Same as source" writes; empty when it holds none.
    QString firstVideoFile() const;
    void showTracks();

    JoinPage& page;
    TVideoEdit& VE2;
    TMediaPlayer& MP2;
    OutputSelection& output;
    QString& JoinOutputPath;
    const FormatSettings& formats;
    PictureOptions& pictureOptions;
    QString settingsFile;
    const TVideoEdit& transitionList;
    PlayerFactory makeMusicPlayer;
    QWidget* window;
    JoinRun run;
    RunClock clock;
    PictureLoader pictureLoader;
    // Cleared when the objects behind the references above are destroyed.
    QPointer<TVideoEdit> engineAlive;
    QPointer<TMediaPlayer> playerAlive;
    QPointer<TPicSetForm> picSetForm;
    QPointer<TTracksForm> tracksForm;
    bool rebuilding = false;
};

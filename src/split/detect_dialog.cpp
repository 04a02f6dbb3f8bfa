#include "split/detect_dialog.h"

#include "engine/ffmpeg/detection_job.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kSteps = 100;

QString Title(DetectionKind kind) {
    switch (kind) {
    case DetectionKind::Scenes: return QStringLiteral("Detect Scene Changes");
    case DetectionKind::Black: return QStringLiteral("Detect Black Frames");
    case DetectionKind::Silence: return QStringLiteral("Detect Silences");
    }
    return {};
}

// The slider always runs from fewer points on the left to more on the right,
// whichever way the kind's own threshold goes.
double ThresholdAt(DetectionKind kind, int step) {
    const ThresholdRange r = DetectionThresholdRange(kind);
    const double f = double(step) / kSteps;
    return r.higherFindsMore ? r.low + (r.high - r.low) * f : r.high - (r.high - r.low) * f;
}

int StepOf(DetectionKind kind, double threshold) {
    const ThresholdRange r = DetectionThresholdRange(kind);
    const double f = (threshold - r.low) / (r.high - r.low);
    return int(std::lround((r.higherFindsMore ? f : 1 - f) * kSteps));
}

} // namespace

DetectDialog::DetectDialog(const QString& source, DetectionKind kind, QWidget* parent)
    : QDialog(parent), source(source), kind(kind) {
    setWindowTitle(Title(kind));
    Sensitivity = new QSlider(Qt::Horizontal);
    Sensitivity->setRange(0, kSteps);
    Sensitivity->setValue(StepOf(kind, DetectionThresholdRange(kind).normal));
    Sensitivity->setToolTip("Further right finds more points");
    Progress = new QProgressBar;
    Progress->setRange(0, 1000);
    Progress->setValue(0);
    Progress->setTextVisible(false);
    Status = new QLabel(QStringLiteral("Looks through \"%1\".").arg(QFileInfo(source).fileName()));
    BtnStart = new QPushButton("St&art");
    BtnStop = new QPushButton("St&op");
    BtnStop->setEnabled(false);
    auto* close = new QPushButton("&Close");

    auto* slider = new QGridLayout;
    slider->addWidget(new QLabel("Sensitivity:"), 0, 0, 1, 3);
    slider->addWidget(new QLabel("Fewer points"), 1, 0);
    slider->addWidget(Sensitivity, 1, 1);
    slider->addWidget(new QLabel("More points"), 1, 2);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(BtnStart, QDialogButtonBox::ActionRole);
    buttons->addButton(BtnStop, QDialogButtonBox::ActionRole);
    buttons->addButton(close, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(slider);
    layout->addWidget(Progress);
    layout->addWidget(Status);
    layout->addWidget(buttons);

    connect(BtnStart, &QPushButton::clicked, this, &DetectDialog::start);
    connect(BtnStop, &QPushButton::clicked, this, &DetectDialog::stop);
    connect(close, &QPushButton::clicked, this, &DetectDialog::reject);
}

DetectDialog::~DetectDialog() { stop(); }

DetectionSettings DetectDialog::settings() const {
    DetectionSettings s = DefaultDetection(kind);
    s.threshold = ThresholdAt(kind, Sensitivity->value());
    return s;
}

bool DetectDialog::running() const { return job && job->running(); }

void DetectDialog::start() {
    if (running()) return;
    job = new DetectionJob(source, settings(), this);
    connect(job, &DetectionJob::progress, this, [this](double position, double duration) {
        if (duration > 0) Progress->setValue(int(std::min(1.0, position / duration) * 1000));
    });
    connect(job, &DetectionJob::finished, this, [this](const QList<double>& points) {
        Progress->setValue(1000);
        const QString noun = DetectionNoun(kind);
        if (points.isEmpty()) ended(QStringLiteral("No %1 found.").arg(noun));
        else if (points.size() == 1) ended(QStringLiteral("Found 1 %1.").arg(noun.chopped(1)));
        else ended(QStringLiteral("Found %1 %2.").arg(points.size()).arg(noun));
        emit found(points);
    });
    connect(job, &DetectionJob::failed, this, [this](const QString& message) { ended(message); });
    Progress->setValue(0);
    Status->setText("Looking...");
    BtnStart->setEnabled(false);
    Sensitivity->setEnabled(false);
    BtnStop->setEnabled(true);
    job->start();
}

void DetectDialog::stop() {
    if (!running()) return;
    ended("Stopped; no points were added.");
    Progress->setValue(0);
}

void DetectDialog::ended(const QString& status) {
    if (job) {
        job->stop();
        job->deleteLater();
        job = nullptr;
    }
    Status->setText(status);
    BtnStart->setEnabled(true);
    Sensitivity->setEnabled(true);
    BtnStop->setEnabled(false);
}

void DetectDialog::reject() {
    stop();
    QDialog::reject();
}

#include "app/about_form.h"

#include "app/links.h"
#include "common/icons.h"
#include "common/ini_file.h"
#include "common/messages.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TAboutForm::TAboutForm(QWidget* parent, const QString& dataFolder) : QDialog(parent) {
    setWindowTitle("About");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    QFont arial("Arial");
    arial.setPointSize(font().pointSize());
    setFont(arial);

    auto* top = new QFrame;
    top->setFixedHeight(65);
    Image1 = new QLabel;
    Image1->setPixmap(Icons::start().pixmap(48, 48));
    Label1 = new QLabel;
    QFont titleFont = font();
    titleFont.setPointSize(titleFont.pointSize() + 6);
    titleFont.setBold(true);
    Label1->setFont(titleFont);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->addWidget(Image1);
    topLayout->addWidget(Label1, 1);

    Label3 = new QLabel;
    Label5 = new QLabel;
    Label7 = new QLabel("Technology Support");
    for (QLabel* link : {Label5, Label7}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
        setLinkLook(link, false);
    }
    auto* middle = new QGridLayout;
    middle->addWidget(new QLabel("Version"), 0, 0);
    middle->addWidget(Label3, 0, 1);
    middle->addWidget(new QLabel("HomePage"), 1, 0);
    middle->addWidget(Label5, 1, 1);
    middle->addWidget(new QLabel("Technology Support"), 2, 0);
    middle->addWidget(Label7, 2, 1);
    middle->setColumnStretch(1, 1);

    BtnClose = new QPushButton("&Close");
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::close);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel("Made by the Quillmark team. Free to use."), 1);
    bottom->addWidget(BtnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(top);
    layout->addLayout(middle);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    FormCreate(dataFolder);
}

void TAboutForm::FormCreate(const QString& dataFolder) {
    const IniFile ini(dataFolder + "support.ini");
    const QString programName = ini.readString("about", "programname", "Quillmark");
    const QString versionName = ini.readString("about", "versionname", "v1.6.6");
    const QString homePage = ini.readString("about", "homepage", HomePageAddress);
    Label1->setText(programName + " " + versionName);
    Label3->setText(versionName);
    Label5->setText(homePage);
}

// The label shows what support.ini says; the link always leads to the real home page.
void TAboutForm::Label5Click() { Messages::openUrl(QUrl(HomePageAddress)); }

void TAboutForm::Label7Click() { Messages::openUrl(QUrl("mailto:" + SupportMailAddress)); }

void TAboutForm::setLinkLook(QLabel* link, bool hovered) {
    QFont f = link->font();
    f.setUnderline(hovered);
    link->setFont(f);
    QPalette p = link->palette();
    p.setColor(QPalette::WindowText, hovered ? Qt::red : Qt::blue);
    link->setPalette(p);
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
    auto* link = qobject_cast<QLabel*>(watched);
    if (link && (link == Label5 || link == Label7)) {
        if (event->type() == QEvent::Enter) setLinkLook(link, true);
        if (event->type() == QEvent::Leave) setLinkLook(link, false);
        if (event->type() == QEvent::MouseButtonRelease) {
            link == Label5 ? Label5Click() : Label7Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

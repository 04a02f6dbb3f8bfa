#include "app/about_form.h"
#include "app/links.h"
#include "app/main_form.h"
#include "common/messages.h"
#include "support/fake_services.h"
#include "support/temp_folder.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <gtest/gtest.h>

TEST(AboutForm, DefaultsWithoutSupportIni) {
    TempFolder dir;
    TAboutForm about(nullptr, dir.path());
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.Label1->text(), "Quillmark v1.6.6");
    EXPECT_EQ(about.Label3->text(), "v1.6.6");
    EXPECT_EQ(about.Label5->text(), HomePageAddress);
    EXPECT_EQ(about.Label7->text(), "Technology Support");
}

TEST(AboutForm, SupportIniOverridesSomeTexts) {
    TempFolder dir;
    dir.write("support.ini", "[About]\nversionname=2.0\n");
    TAboutForm about(nullptr, dir.path());
    EXPECT_EQ(about.Label1->text(), "Quillmark 2.0");
    EXPECT_EQ(about.Label3->text(), "2.0");
}

TEST(AboutForm, LinksOpenTheirAddressesAndLightUpUnderTheMouse) {
    TempFolder dir;
    dir.write("support.ini", "[about]\nhomepage=www.example.test\n");
    QList<QUrl> urls;
    Messages::setUrlHandler([&](const QUrl& url) { urls << url; });
    TAboutForm about(nullptr, dir.path());
    EXPECT_EQ(about.Label5->text(), "www.example.test");

    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(about.Label7, &enter);
    EXPECT_EQ(about.Label7->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(about.Label7->font().underline());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(about.Label7, &leave);
    EXPECT_EQ(about.Label7->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_FALSE(about.Label7->font().underline());

    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(about.Label5, &release);
    QCoreApplication::sendEvent(about.Label7, &release);
    Messages::setUrlHandler({});
    // The home page link goes to the real address whatever the label says.
    EXPECT_EQ(urls, (QList<QUrl>{QUrl(HomePageAddress), QUrl("mailto:" + SupportMailAddress)}));
}

TEST(AboutForm, EveryOpeningReadsSupportIniAgain) {
    TempFolder dir;
    dir.write("tips.txt", "tip\n");
    dir.write("support.ini", "[about]\nversionname=1.0\n");
    TMainForm form({dir.path(), dir.path("setup.ini")}, FakeServices());
    QStringList titles;
    auto closeWhenShown = [&] {
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<TAboutForm*>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            titles << about->Label1->text();
            about->close();
        });
    };
    closeWhenShown();
    form.TBXAboutClick();
    dir.write("support.ini", "[about]\nversionname=1.1\n");
    closeWhenShown();
    form.TBXAboutClick();
    EXPECT_EQ(titles, (QStringList{"Quillmark 1.0", "Quillmark 1.1"}));
}

#include "common/icons.h"
#include "common/radio_group.h"
#include "common/up_down.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QValidator>
#include <gtest/gtest.h>

TEST(UpDown, ThePositionFollowsTypedNumbersWithinTheRange) {
    QLineEdit field;
    UpDown spin(&field, 0, 1000);
    EXPECT_EQ(field.text(), "0");
    field.setText("640");
    EXPECT_EQ(spin.position(), 640);
    field.setText("");  // half-typed: the last good number stays
    EXPECT_EQ(spin.position(), 640);
    field.setText("1200");
    EXPECT_EQ(spin.position(), 1000);
    emit field.editingFinished();
    EXPECT_EQ(field.text(), "1000");
    spin.setPosition(-5);
    EXPECT_EQ(field.text(), "0");
}

TEST(UpDown, ArrowsAndKeysStepWithinTheRange) {
    QLineEdit field;
    UpDown spin(&field, 0, 1000);
    spin.setPosition(999);
    spin.upButton()->click();
    spin.upButton()->click();
    EXPECT_EQ(field.text(), "1000");
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&field, &down);
    EXPECT_EQ(spin.position(), 999);
    spin.setPosition(0);
    spin.downButton()->click();
    EXPECT_EQ(spin.position(), 0);
    // The validator keeps letters and signs out of a typed field.
    int cursor = 0;
    QString text = "-3";
    EXPECT_EQ(field.validator()->validate(text, cursor), QValidator::Invalid);
}

TEST(RadioGroup, APositionOutsideTheItemsChoosesNothing) {
    RadioGroup group("Mode", {"PAL", "NTSC"}, 2);
    QList<int> changes;
    QObject::connect(&group, &RadioGroup::itemIndexChanged, [&](int i) { changes << i; });
    group.setItemIndex(1);
    group.setItemIndex(1);  // no change, no event
    group.button(0)->click();
    EXPECT_EQ(changes, (QList<int>{1, 0}));
    group.setItemIndex(5);
    EXPECT_EQ(group.itemIndex(), -1);
    EXPECT_FALSE(group.button(0)->isChecked());
    group.setItemIndex(1);
    EXPECT_EQ(group.itemIndex(), 1);
}

TEST(DrawnIcons, AreDrawnAtTheSizeAskedForAlsoOnAScreenScaledByTwo) {
    for (const QIcon& icon : {Icons::split(), Icons::join(), Icons::settings(), Icons::bulb()}) {
        // A picture blown up from a small one would come back at its own size.
        EXPECT_EQ(icon.pixmap(QSize(256, 256)).size(), QSize(256, 256));
        EXPECT_EQ(icon.pixmap(QSize(32, 32), 2.0).size(), QSize(64, 64));
        const QImage big = icon.pixmap(QSize(256, 256)).toImage();
        int drawn = 0;
        for (int y = 0; y < 256; y += 4)
            for (int x = 0; x < 256; x += 4) drawn += qAlpha(big.pixel(x, y)) > 0;
        EXPECT_GT(drawn, 256 * 256 / 16 / 5) << "the drawing fills the picture";
    }
    const QImage disabled = Icons::start().pixmap(QSize(64, 64), QIcon::Disabled).toImage();
    const QRgb centre = disabled.pixel(50, 32);
    EXPECT_EQ(qRed(centre), qBlue(centre)) << "a disabled picture is grey";
}

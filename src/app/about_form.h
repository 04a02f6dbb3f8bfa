#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: name, version and two links, with texts that support.ini in the
// data folder may override. Built anew at every opening, so edits to the file show.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    TAboutForm(QWidget* parent, const QString& dataFolder);

    QLabel* Image1;
    QLabel* Label1;  // title line
    QLabel* Label3;  // version
    QLabel* Label5;  // home page link
    QLabel* Label7;  // support link
    QPushButton* BtnClose;

    void Label5Click();
    void Label7Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate(const QString& dataFolder);
    static void setLinkLook(QLabel* link, bool hovered);
};

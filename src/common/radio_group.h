#pragma once

#include <QGroupBox>
#include <QList>

class QButtonGroup;
class QRadioButton;

// A captioned group of exclusive radio buttons addressed by position, laid out in
// a given number of columns. Position -1 means no button is chosen, which is also
// what a position outside the items gives.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, int columns = 1, QWidget* parent = nullptr);

    int itemIndex() const;
    // Emits itemIndexChanged when the chosen button changes, as a click does.
    void setItemIndex(int index);
    QRadioButton* button(int index) const { return buttons.value(index); }

signals:
    // A different button became chosen, by the user or by setItemIndex.
    void itemIndexChanged(int index);

private:
    QButtonGroup* group;
    QList<QRadioButton*> buttons;
};

#include "common/radio_group.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent), group(new QButtonGroup(this)) {
    auto* layout = new QGridLayout(this);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i]);
        group->addButton(b, i);
        buttons << b;
        layout->addWidget(b, i % rows, i / rows);
    }
    connect(group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) emit itemIndexChanged(id);
    });
}

int RadioGroup::itemIndex() const { return group->checkedId(); }

void RadioGroup::setItemIndex(int index) {
    if (QRadioButton* b = button(index)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group refuses to uncheck its last button, so step out of it briefly.
    if (QAbstractButton* checked = group->checkedButton()) {
        group->setExclusive(false);
        checked->setChecked(false);
        group->setExclusive(true);
    }
}

#include "app/ComboBoxFit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QStyledItemDelegate>

namespace ComboBoxFit {

void fitItems(QComboBox& box) {
    box.setItemDelegate(new QStyledItemDelegate(&box));
    box.setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QAbstractItemView* list = box.view();
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth());
}

} // namespace ComboBoxFit

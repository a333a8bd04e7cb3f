#include "widgets/PickerNameOrder.h"

QCollator PickerNameOrder() {
    QCollator order{QLocale()};
    order.setCaseSensitivity(Qt::CaseInsensitive);
    return order;
}

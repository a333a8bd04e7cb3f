#include "platform/NameOrder.h"

QCollator NameOrder() {
    QCollator order{QLocale()};
    order.setCaseSensitivity(Qt::CaseInsensitive);
    return order;
}

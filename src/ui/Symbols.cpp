#include "ui/Symbols.h"

namespace stellwick {

QIcon symbolIcon(QStringView) {
    return {};
}

} // namespace stellwick

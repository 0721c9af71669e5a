#include "model/Geometry.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace stellwick {

Rect Rect::null() {
    const double inf = std::numeric_limits<double>::infinity();
    return {inf, inf, 0, 0};
}

Rect Rect::standardized() const {
    Rect r = *this;
    if (r.width < 0) {
        r.x += r.width;
        r.width = -r.width;
    }
    if (r.height < 0) {
        r.y += r.height;
        r.height = -r.height;
    }
    return r;
}

double Rect::minX() const {
    return standardized().x;
}
double Rect::maxX() const {
    const Rect r = standardized();
    return r.x + r.width;
}
double Rect::midX() const {
    const Rect r = standardized();
    return r.x + r.width / 2;
}
double Rect::minY() const {
    return standardized().y;
}
double Rect::maxY() const {
    const Rect r = standardized();
    return r.y + r.height;
}
double Rect::midY() const {
    const Rect r = standardized();
    return r.y + r.height / 2;
}

double Rect::area() const {
    if (isNull())
        return 0;
    return std::abs(width) * std::abs(height);
}

bool Rect::isNull() const {
    return std::isinf(x) || std::isinf(y);
}

bool Rect::isEmpty() const {
    return isNull() || width == 0 || height == 0;
}

Rect Rect::intersected(const Rect& other) const {
    if (isNull() || other.isNull())
        return null();
    const double left = std::max(minX(), other.minX());
    const double top = std::max(minY(), other.minY());
    const double right = std::min(maxX(), other.maxX());
    const double bottom = std::min(maxY(), other.maxY());
    // Not "<=": rectangles that only share an edge meet in an empty rectangle.
    if (!(left <= right) || !(top <= bottom))
        return null();
    return {left, top, right - left, bottom - top};
}

bool Rect::contains(Point p) const {
    if (isNull())
        return false;
    return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

QString Rect::describe() const {
    const auto n = [](double v) { return QString::number(v, 'g', QLocale::FloatingPointShortest); };
    return QStringLiteral("(%1, %2, %3, %4)").arg(n(x), n(y), n(width), n(height));
}

} // namespace stellwick

#pragma once

#include <QString>

namespace stellwick {

// Points, sizes and rectangles in points, double precision. Rectangles are
// half-open: a point on the left or top edge is inside, one on the right or
// bottom edge is not. Min/mid/max are taken after standardizing, so a negative
// width or height is folded first.
struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    static Rect null();
    static Rect fromOriginSize(Point origin, Size size) {
        return {origin.x, origin.y, size.width, size.height};
    }

    Rect standardized() const;
    double minX() const;
    double maxX() const;
    double midX() const;
    double minY() const;
    double maxY() const;
    double midY() const;
    Point origin() const { return {x, y}; }
    Size size() const { return {width, height}; }
    Point center() const { return {midX(), midY()}; }
    double area() const;

    // The null rectangle is what intersecting two disjoint rectangles gives.
    bool isNull() const;
    // Null, or without extent in one direction.
    bool isEmpty() const;
    Rect intersected(const Rect& other) const;
    // Left and top edges inclusive, right and bottom edges exclusive.
    bool contains(Point p) const;

    // Plain text for logs: "(x, y, width, height)".
    QString describe() const;

    bool operator==(const Rect&) const = default;
};

} // namespace stellwick

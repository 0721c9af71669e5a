#pragma once

// Shared by the view tests: one look on every machine, and controls found by
// their visible texts.

#include "support/SimFixtures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
#include <QtTest>

namespace stellwick::test {

inline void useFixedLook() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    QApplication::setFont(QFont(QStringLiteral("IPAPGothic"), 10));
}

// The texts of the visible widgets of type T under `root`, in creation order.
template <class T> QStringList visibleTexts(const QWidget* root) {
    QStringList texts;
    for (T* w : root->findChildren<T*>())
        if (!w->text().isEmpty() && w->isVisibleTo(root))
            texts << w->text();
    return texts;
}
inline QStringList buttonTexts(const QWidget* root) {
    return visibleTexts<QAbstractButton>(root);
}
inline QStringList labelTexts(const QWidget* root) {
    return visibleTexts<QLabel>(root);
}

// The one visible button with this text, or null.
inline QAbstractButton* buttonNamed(const QWidget* root, const QString& text) {
    QAbstractButton* found = nullptr;
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
        if (b->text() == text && b->isVisibleTo(root))
            found = found ? nullptr : b;
    return found;
}

} // namespace stellwick::test

#pragma once

// Shared by the widget tests: one look on every machine, buttons found by
// their text, and pictures written under the build folder for a person to
// look at.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QStyle>
#include <QStyleFactory>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest>

namespace stellwick::test {

inline void useFixedLook() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSize(10);
    QApplication::setFont(font);
}

// The visible buttons under `root` with exactly this text, in creation order.
inline QList<QAbstractButton*> buttonsNamed(const QWidget* root, const QString& text) {
    QList<QAbstractButton*> found;
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
        if (b->text() == text && b->isVisibleTo(root->window()) && !b->isHidden())
            found << b;
    return found;
}

inline QAbstractButton* buttonNamed(const QWidget* root, const QString& text) {
    const QList<QAbstractButton*> found = buttonsNamed(root, text);
    return found.size() == 1 ? found.front() : nullptr;
}

// The visible button texts under `root`, in creation order.
inline QStringList buttonTexts(const QWidget* root) {
    QStringList texts;
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
        if (!b->text().isEmpty() && b->isVisibleTo(root))
            texts << b->text();
    return texts;
}

// Writes the widget as it looks now to <build>/ui-pictures/<name>.png.
inline void saveScreenshot(QWidget* widget, const QString& name) {
    const QString dir = QStringLiteral(STELLWICK_UI_PICTURES);
    QDir().mkpath(dir);
    QCoreApplication::processEvents(); // pending layout requests
    QVERIFY(widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
}

} // namespace stellwick::test

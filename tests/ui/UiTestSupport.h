#pragma once

// Shared by the view tests: a controller for views, one look on every
// machine, controls found by their visible texts, and pictures written under
// the build folder for a person to look at.

#include "controller/UpdateController.h"
#include "platform/Updater.h"
#include "support/SimFixtures.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QStyle>
#include <QStyleFactory>
#include <QVBoxLayout>
#include <QWidget>
#include <QtTest>

namespace stellwick::test {

class CountingUpdater final : public Updater {
public:
    void start() override {}
    void checkForUpdates() override { ++checks; }
    int checks = 0;
};

// A controller on the simulated desktop and an update controller, for views.
struct ViewFixture {
    ControllerHarness harness;
    CountingUpdater updater;
    UpdateController updates{updater};

    ProbeViewModel& start() { return harness.start(); }
};

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

// Writes the widget as it looks now to <build>/ui-pictures/<name>.png.
inline void saveScreenshot(QWidget* widget, const QString& name) {
    QDir().mkpath(QStringLiteral(STELLWICK_UI_PICTURES));
    QCoreApplication::processEvents(); // pending layout requests
    QVERIFY(widget->grab().save(QStringLiteral(STELLWICK_UI_PICTURES "/") + name + QStringLiteral(".png")));
}

// A pane alone in a window of the settings window's size.
struct Shown {
    explicit Shown(QWidget* pane) {
        pane->setParent(&window);
        (new QVBoxLayout(&window))->addWidget(pane);
        window.layout()->setContentsMargins(0, 0, 0, 0);
        window.resize(840, 460);
        window.show();
    }
    QWidget window;
};

} // namespace stellwick::test

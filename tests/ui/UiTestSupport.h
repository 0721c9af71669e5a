#pragma once

#include "controller/UpdateController.h"
#include "platform/Updater.h"
#include "support/SimFixtures.h"

#include <QDir>
#include <QWidget>

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

// Saves a picture of `widget` for review, under the build folder.
inline void savePicture(QWidget& widget, const QString& name) {
    const QString folder = QStringLiteral(STELLWICK_UI_PICTURES);
    QDir().mkpath(folder);
    widget.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace stellwick::test

#include "ui/SettingsPanes.h"

#include <QLabel>

namespace stellwick {

namespace {
QWidget* placeholder(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}
} // namespace

QWidget* createRegisteredAppsPane(ProbeViewModel&, QWidget* parent) {
    return placeholder(QStringLiteral("登録アプリ"), parent);
}

QWidget* createSelectionStatusBar(ProbeViewModel&, QWidget* parent) {
    auto* bar = new QWidget(parent);
    bar->hide();
    return bar;
}

QWidget* createAutomationPane(ProbeViewModel&, QWidget* parent) {
    return placeholder(QStringLiteral("自動適用"), parent);
}

QWidget* createPermissionPane(ProbeViewModel&, QWidget* parent) {
    return placeholder(QStringLiteral("権限"), parent);
}

QWidget* createPermissionBanner(ProbeViewModel&, std::function<void()>, QWidget* parent) {
    auto* banner = new QWidget(parent);
    banner->hide();
    return banner;
}

QObject* createSelectionSheets(ProbeViewModel&, QWidget* window) {
    return new QObject(window);
}

} // namespace stellwick

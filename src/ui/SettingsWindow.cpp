#include "ui/SettingsWindow.h"

#include "ui/ContentView.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace stellwick {

SettingsWindow::SettingsWindow(ProbeViewModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_content(new ContentView(model, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("profile-settings"));
    setWindowTitle(title);
    setAccessibleName(title);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_content);
    setMinimumSize(840, 500);
    resize(880, 592);
}

void SettingsWindow::present() {
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
    m_content->leave();
    event->accept();
}

} // namespace stellwick

#include "ui/SettingsWindow.h"

#include "ui/ContentView.h"
#include "ui/ReopenNotice.h"

#include <QCloseEvent>
#include <QVBoxLayout>

namespace stellwick {

SettingsWindow::SettingsWindow(ProbeViewModel& model, std::function<bool()> holdClose, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_content(new ContentView(model, this))
    , m_holdClose(std::move(holdClose)) {
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
    // Only the user's close (the title bar's button) is held: quitting closes
    // every window too, and must not be refused.
    if (event->spontaneous() && !m_notice && m_holdClose && m_holdClose()) {
        m_notice = new ReopenNotice([this] { close(); }, this);
        static_cast<QVBoxLayout*>(layout())->insertWidget(0, m_notice);
        event->ignore();
        return;
    }
    m_content->leave();
    event->accept();
}

} // namespace stellwick

#pragma once

#include "platform/linux/UpdateCheckResult.h"

#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace stellwick {

// The small window that shows an update check: under way, up to date, a newer
// version with its release notes and download page, or why it failed. Links
// open in the browser; nothing is downloaded here. Closing it hides it.
class UpdateWindow final : public QWidget, public linux_platform::UpdatePresenter {
public:
    using Opener = std::function<bool(const QUrl&)>;

    // `opener` hands a link to the desktop (QDesktopServices by default).
    explicit UpdateWindow(Opener opener = {}, QWidget* parent = nullptr);

    void showChecking() override;
    void showResult(const linux_platform::UpdateCheckResult& result) override;

private:
    void showText(const QString& heading, const QString& detail);
    void showLinks(const QUrl& releaseNotes, const QUrl& download);
    void present();

    Opener m_opener;
    QLabel* m_heading;
    QLabel* m_detail;
    QProgressBar* m_progress;
    QPushButton* m_releaseNotesButton;
    QPushButton* m_downloadButton;
    QPushButton* m_closeButton;
    QUrl m_releaseNotesURL;
    QUrl m_downloadURL;
};

// Shows update checks in an UpdateWindow made when the first check has
// something to show, so an idle application carries no hidden window.
class UpdateWindowOnDemand final : public linux_platform::UpdatePresenter {
public:
    void showChecking() override { window().showChecking(); }
    void showResult(const linux_platform::UpdateCheckResult& result) override { window().showResult(result); }

private:
    UpdateWindow& window() {
        if (!m_window)
            m_window = std::make_unique<UpdateWindow>();
        return *m_window;
    }
    std::unique_ptr<UpdateWindow> m_window;
};

} // namespace stellwick

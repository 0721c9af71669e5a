#include "windows/WindowServiceError.h"

namespace stellwick {

WindowServiceError::WindowServiceError(Kind kind, QString attribute, AXError code)
    : m_kind(kind)
    , m_attribute(std::move(attribute))
    , m_code(code) {
    m_what = localizedDescription().toUtf8();
}

WindowServiceError WindowServiceError::attributeUnavailable(const QString& attribute, AXError code) {
    return WindowServiceError(Kind::attributeUnavailable, attribute, code);
}

WindowServiceError WindowServiceError::permissionRequired() {
    return WindowServiceError(Kind::permissionRequired, {}, 0);
}

WindowServiceError WindowServiceError::noMovableWindows() {
    return WindowServiceError(Kind::noMovableWindows, {}, 0);
}

QString WindowServiceError::localizedDescription() const {
    switch (m_kind) {
    case Kind::attributeUnavailable:
        return m_attribute + QStringLiteral("を取得できませんでした（AXError: ") + QString::number(m_code) +
               QStringLiteral("）。");
    case Kind::permissionRequired:
        return QStringLiteral("アクセシビリティ権限が必要です。");
    case Kind::noMovableWindows:
        return QStringLiteral("現在のSpaceに配置可能な通常ウィンドウがありません。");
    }
    return {};
}

bool WindowServiceError::operator==(const WindowServiceError& other) const {
    return m_kind == other.m_kind && m_attribute == other.m_attribute && m_code == other.m_code;
}

} // namespace stellwick

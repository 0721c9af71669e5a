#pragma once

#include "platform/Accessibility.h"

#include <QByteArray>
#include <QString>
#include <exception>

namespace stellwick {

// The three ways window access fails. The user sees localizedDescription().
class WindowServiceError : public std::exception {
public:
    enum class Kind { attributeUnavailable, permissionRequired, noMovableWindows };

    // `attribute` is an attribute name ("AXWindows") or a description of what
    // could not be had ("位置とサイズ"); `code` is the accessibility error
    // code, 0 when the value was read but of the wrong type.
    static WindowServiceError attributeUnavailable(const QString& attribute, AXError code);
    static WindowServiceError permissionRequired();
    static WindowServiceError noMovableWindows();

    Kind kind() const { return m_kind; }
    const QString& attribute() const { return m_attribute; }
    AXError code() const { return m_code; }

    QString localizedDescription() const;
    const char* what() const noexcept override { return m_what.constData(); }

    bool operator==(const WindowServiceError& other) const;

private:
    WindowServiceError(Kind kind, QString attribute, AXError code);

    Kind m_kind;
    QString m_attribute;
    AXError m_code = 0;
    QByteArray m_what;
};

} // namespace stellwick

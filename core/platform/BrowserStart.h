#pragma once

#include <QString>
#include <utility>

// Hands an address or a local file path to the system's web browser, detached: the caller never
// waits. The opener is $BROWSER when set (the usual convention on Unix-like systems; several
// programs separated by ":" are tried in turn), otherwise the platform's own opener.
namespace BrowserStart {

// Empty when an opener started; otherwise which openers were tried.
class [[nodiscard]] Error {
public:
    Error() = default;
    explicit Error(QString message) : m_message(std::move(message)) {}

    explicit operator bool() const { return !m_message.isEmpty(); }
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

Error StartBrowser(const QString& argument);

} // namespace BrowserStart

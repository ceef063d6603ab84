#pragma once

#include <QString>
#include <stdexcept>

// The one failure type of the program: a step that could not be done, with a readable reason.
// Callers skip the step, end their procedure, or let it pass on, as their own rules say.
class OperationError : public std::runtime_error {
public:
    explicit OperationError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}

    const QString& message() const { return m_message; }

private:
    QString m_message;
};

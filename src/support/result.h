#pragma once

#include <QString>

#include <optional>
#include <utility>

namespace fw {

// The outcome of an operation that can fail: either done, or an operator-readable message.
class Outcome {
public:
    static Outcome success() { return Outcome(); }
    static Outcome failure(QString message) { return Outcome(std::move(message)); }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString& message() const { return m_message; }

private:
    Outcome() = default;
    explicit Outcome(QString message) : m_failed(true), m_message(std::move(message)) {}

    bool m_failed = false;
    QString m_message;
};

// A value, or an operator-readable message saying why there is none.
template <typename T>
class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    static Result failure(QString message)
    {
        Result r;
        r.m_message = std::move(message);
        return r;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const& { return *m_value; }
    T& value() & { return *m_value; }
    T&& value() && { return std::move(*m_value); }
    const T& operator*() const { return *m_value; }
    const T* operator->() const { return &*m_value; }
    const QString& message() const { return m_message; }

private:
    Result() = default;
    std::optional<T> m_value;
    QString m_message;
};

} // namespace fw

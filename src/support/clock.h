#pragma once

#include <QDateTime>

namespace fw {

// The station's date and time; tests fix it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(QDateTime when) : m_when(std::move(when)) {}
    QDateTime now() const override { return m_when; }
    void set(const QDateTime& when) { m_when = when; }
    void advanceSeconds(qint64 seconds) { m_when = m_when.addSecs(seconds); }

private:
    QDateTime m_when;
};

} // namespace fw

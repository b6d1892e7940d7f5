#pragma once

#include <QDateTime>
#include <QList>
#include <QTimeZone>

// The computer's clock: read as a local date and time, set from a local date and time.
// The program uses DesktopClock; tests use FakeClock, so no test ever sets the real clock.
class SystemClock {
public:
    virtual ~SystemClock() = default;

    // The date and time now, in the machine's time zone.
    virtual QDateTime now() const = 0;
    // The zone the machine shows its time in, daylight saving included.
    virtual QTimeZone timeZone() const = 0;

    // Sets the clock to the given date and time read in zone. Throws UserError with a French
    // text, and sets nothing, when it is no such time (31/02, 24:00, a time skipped when
    // the clocks go forward) or when the system refuses.
    void setLocal(int year, int month, int day, int hour, int minute, int second,
                  const QTimeZone& zone);

protected:
    // Sets the clock to this instant, given in UTC; throws UserError when refused.
    virtual void setUtc(const QDateTime& utc) = 0;
    // The refusal the system gave with this errno.
    [[noreturn]] static void refuse(int error);
};

// The clock of the machine the program runs on.
class DesktopClock : public SystemClock {
public:
    QDateTime now() const override;
    QTimeZone timeZone() const override;

protected:
    void setUtc(const QDateTime& utc) override;
};

// A clock that stands still where it is put and records what it was asked to become.
class FakeClock : public SystemClock {
public:
    explicit FakeClock(const QDateTime& current) : current(current), zone(current.timeZone()) {}

    QDateTime now() const override { return current; }
    QTimeZone timeZone() const override { return zone; }

    QDateTime current;
    QTimeZone zone;
    // The instants asked for, in UTC.
    QList<QDateTime> setTo;
    // An errno to refuse with, as the system would; 0 accepts.
    int refusal = 0;

protected:
    void setUtc(const QDateTime& utc) override;
};

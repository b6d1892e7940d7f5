#include "SystemClock.h"

#include "UserError.h"

#include <cerrno>
#include <ctime>

void SystemClock::setLocal(int year, int month, int day, int hour, int minute, int second,
                           const QTimeZone& zone) {
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    const QDateTime local(date, time, zone);
    // A time the clocks skip when they go forward comes back invalid or, with some versions
    // of Qt, moved out of the gap.
    if (!date.isValid() || !time.isValid() || !local.isValid() || local.date() != date ||
        local.time() != time) {
        const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QChar(u'0')); };
        throw UserError(QStringLiteral("Date ou heure impossible : %1/%2/%3 %4:%5:%6")
                            .arg(two(day), two(month), QString::number(year), two(hour),
                                 two(minute), two(second)));
    }
    setUtc(local.toUTC());
}

void SystemClock::refuse(int error) {
    if (error == EPERM)
        throw UserError(
            QStringLiteral("Vous n'avez pas le droit de régler l'horloge de l'ordinateur"));
    throw UserError(QStringLiteral("Le système refuse de régler l'horloge à cette date"));
}

QDateTime DesktopClock::now() const {
    return QDateTime::currentDateTime();
}

QTimeZone DesktopClock::timeZone() const {
    return QTimeZone::systemTimeZone();
}

void DesktopClock::setUtc(const QDateTime& utc) {
    const qint64 msecs = utc.toMSecsSinceEpoch();
    timespec instant{};
    instant.tv_sec = static_cast<time_t>(msecs / 1000);
    instant.tv_nsec = static_cast<long>(msecs % 1000) * 1000000;
    // Setting the clock needs CAP_SYS_TIME; without it the call fails with EPERM.
    if (clock_settime(CLOCK_REALTIME, &instant) != 0)
        refuse(errno);
}

void FakeClock::setUtc(const QDateTime& utc) {
    if (refusal != 0)
        refuse(refusal);
    setTo.append(utc);
}

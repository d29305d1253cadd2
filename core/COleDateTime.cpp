#include "core/COleDateTime.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long z, int& y, int& m, int& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr long kOleEpochFromUnixDays = -25569; // 1899-12-30 is 25569 days before 1970-01-01

} // namespace

bool COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) {
    static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const bool dateOk = year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
                        day <= kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0);
    const bool timeOk = hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
    if (!dateOk || !timeOk) {
        m_status = invalid;
        return false;
    }
    const long days = DaysFromCivil(year, month, day) - kOleEpochFromUnixDays;
    const double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
    // Before the epoch the fraction counts forward from the (negative) day, as OLE dates do.
    m_dt = days >= 0 ? days + fraction : days - fraction;
    m_status = valid;
    return true;
}

COleDateTime COleDateTime::GetCurrentTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    COleDateTime result;
    result.SetDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                       local.tm_sec);
    return result;
}

COleDateTime::Parts COleDateTime::Split() const {
    const double whole = std::trunc(m_dt);
    const long days = static_cast<long>(whole);
    long seconds = std::lround(std::fabs(m_dt - whole) * 86400.0);
    long dayShift = 0;
    if (seconds >= 86400) { // rounding reached midnight
        seconds -= 86400;
        dayShift = m_dt >= 0 ? 1 : -1;
    }
    Parts p{};
    CivilFromDays(days + dayShift + kOleEpochFromUnixDays, p.year, p.month, p.day);
    p.hour = static_cast<int>(seconds / 3600);
    p.minute = static_cast<int>(seconds / 60 % 60);
    p.second = static_cast<int>(seconds % 60);
    return p;
}

int COleDateTime::GetYear() const {
    return Split().year;
}
int COleDateTime::GetMonth() const {
    return Split().month;
}
int COleDateTime::GetDay() const {
    return Split().day;
}
int COleDateTime::GetHour() const {
    return Split().hour;
}
int COleDateTime::GetMinute() const {
    return Split().minute;
}
int COleDateTime::GetSecond() const {
    return Split().second;
}

std::string COleDateTime::Format() const {
    const Parts p = Split();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour,
                  p.minute, p.second);
    return text;
}

#pragma once

#include <string>

// A date-time as an OLE automation date: days since 1899-12-30 00:00:00, the
// time of day as the fraction. Stored in the tables exactly like this, so log
// rows sort by time as plain numbers.
class COleDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default;
    explicit COleDateTime(double date) : m_dt(date) {}

    // Returns false (and marks the value invalid) for a date outside 100..9999
    // or a time that does not exist.
    bool SetDateTime(int year, int month, int day, int hour, int minute, int second);
    static COleDateTime GetCurrentTime(); // local time, whole seconds

    double m_dt = 0.0;
    DateTimeStatus m_status = valid;

    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;

    // "YYYY-MM-DD hh:mm:ss"
    std::string Format() const;

private:
    struct Parts {
        int year, month, day, hour, minute, second;
    };
    Parts Split() const;
};

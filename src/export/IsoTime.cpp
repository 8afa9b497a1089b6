#include "export/IsoTime.hpp"

#include <cstdio>

namespace tessarin {

namespace {

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : kDays[m - 1];
}

// Days from 1970-01-01 to y-m-d (proleptic Gregorian); independent of the
// process's time zone, unlike mktime.
long long daysFromEpoch(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

std::string formatIsoUtc(std::time_t t) {
    std::tm parts{};
    gmtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

bool parseIsoUtc(const std::string& text, std::time_t& t) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, used = 0;
    const char* p = text.c_str();
    if (std::sscanf(p, "%4d-%2d-%2dT%2d:%2d%n", &y, &mo, &d, &h, &mi, &used) != 5 || used != 16) return false;
    p += used;
    if (*p == ':') {
        int more = 0;
        if (std::sscanf(p, ":%2d%n", &s, &more) != 1 || more != 3) return false;
        p += more;
    }
    long long offsetSeconds = 0;
    if (*p == 'Z') {
        ++p;
    } else if (*p == '+' || *p == '-') {
        int oh = 0, om = 0, more = 0;
        if (std::sscanf(p + 1, "%2d:%2d%n", &oh, &om, &more) != 2 || more != 5 || oh > 14 || om > 59) return false;
        offsetSeconds = (oh * 3600LL + om * 60LL) * (*p == '-' ? -1 : 1);
        p += 1 + more;
    }
    if (*p != '\0') return false;
    if (y < 1970 || mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo) || h > 23 || mi > 59 || s > 59 || h < 0 ||
        mi < 0 || s < 0)
        return false;
    t = static_cast<std::time_t>(daysFromEpoch(y, mo, d) * 86400LL + h * 3600LL + mi * 60LL + s - offsetSeconds);
    return true;
}

}  // namespace tessarin

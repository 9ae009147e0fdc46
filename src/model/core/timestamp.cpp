#include "model/core/timestamp.h"


int64_t FileTimeToUnixSeconds(uint64_t fileTime) {
    const int64_t kEpochDelta = 116444736000000000LL;  // 1601-01-01 to 1970-01-01 in 100 ns ticks
    return (static_cast<int64_t>(fileTime) - kEpochDelta) / 10000000;
}

std::string FormatTimestamp(int64_t t) {
    const int64_t kMax = 32535215999LL;  // 3000-12-31 23:59:59
    if (t < 0 || t > kMax) return std::string();
    int64_t days = t / 86400;
    int64_t secs = t % 86400;
    int weekday = static_cast<int>((days + 4) % 7);  // 1970-01-01 was a Thursday
    // Civil date from days since 1970 (proleptic Gregorian).
    int64_t z = days + 719468;
    int64_t era = z / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);

    static const char kDays[] = "SunMonTueWedThuFriSat";
    static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    // Written digit by digit: the text is made for every file of a listing, and the runtime's formatting
    // costs more than the rest of the decision.
    std::string text = "Www Mmm dd hh:mm:ss yyyy";
    auto two = [&text](size_t at, int value) {
        text[at] = static_cast<char>('0' + value / 10);
        text[at + 1] = static_cast<char>('0' + value % 10);
    };
    text.replace(0, 3, kDays + 3 * weekday, 3);
    text.replace(4, 3, kMonths + 3 * (month - 1), 3);
    two(8, day);
    two(11, static_cast<int>(secs / 3600));
    two(14, static_cast<int>(secs / 60 % 60));
    two(17, static_cast<int>(secs % 60));
    two(20, static_cast<int>(year / 100));  // 1970 to 3000: always four digits
    two(22, static_cast<int>(year % 100));
    return text;
}

bool TimestampMatches(const std::string& recorded, const std::string& computed) {
    if (recorded == computed) return true;
    const size_t kDayTens = 8;  // "Wed Jan 02 ...": the tens digit of the day of month
    if (recorded.size() != 24 || computed.size() != 24) return false;
    if (recorded[kDayTens] != ' ' || computed[kDayTens] != '0') return false;
    return recorded.compare(0, kDayTens, computed, 0, kDayTens) == 0 &&
           recorded.compare(kDayTens + 1, std::string::npos, computed, kDayTens + 1, std::string::npos) == 0;
}

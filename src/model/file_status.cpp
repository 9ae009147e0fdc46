#include "model/file_status.h"

#include "common/module_instance.h"
#include "model/admin_files.h"
#include "model/core/timestamp.h"
#include "settings/settings_store.h"

namespace {

// One attribute query of the path (no open); false for a missing path.
bool QueryAttributes(const char* path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    return ::GetFileAttributesExA(path, GetFileExInfoStandard, &data) != FALSE;
}

// Last-write time in seconds since 1970 (UTC); false for a folder.
bool LastWriteSeconds(const WIN32_FILE_ATTRIBUTE_DATA& data, int64_t& seconds) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    const FILETIME& written = data.ftLastWriteTime;
    seconds = FileTimeToUnixSeconds((static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime);
    return true;
}

bool LastWriteSeconds(const char* path, int64_t& seconds) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    return QueryAttributes(path, data) && LastWriteSeconds(data, seconds);
}

// The time text by the configured rule. The two rules differ only for an instant in daylight saving time,
// so only then is the setting consulted (under Wine that check of the registry costs more than the rest).
std::string TimeTextOfSeconds(int64_t seconds) {
    const int64_t cvs = ApplyDaylightRule(seconds);
    return FormatTimestamp(cvs != seconds && settings::UseCVSNTTimestamps() ? seconds : cvs);
}

std::string TimeText(const WIN32_FILE_ATTRIBUTE_DATA* data) {
    int64_t seconds = 0;
    if (!data || !LastWriteSeconds(*data, seconds)) return std::string();
    return TimeTextOfSeconds(seconds);
}

bool ToSystemTime(int64_t unixSeconds, SYSTEMTIME& st) {
    uint64_t ticks = static_cast<uint64_t>(unixSeconds) * 10000000ULL + 116444736000000000ULL;
    FILETIME ft = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    return ::FileTimeToSystemTime(&ft, &st) != FALSE;
}

int64_t ToUnixSeconds(const SYSTEMTIME& st) {
    FILETIME ft = {};
    ::SystemTimeToFileTime(&st, &ft);
    return FileTimeToUnixSeconds((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

}  // namespace

int64_t ApplyDaylightRule(int64_t unixSeconds) {
    // The zone comes from the Win32 functions, never from the C runtime, whose view of TZ is unreliable.
    TIME_ZONE_INFORMATION zone = {};
    if (::GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return unixSeconds;
    if (zone.DaylightDate.wMonth == 0 || zone.DaylightBias == zone.StandardBias) return unixSeconds;
    SYSTEMTIME utc = {}, local = {};
    if (unixSeconds < 0 || !ToSystemTime(unixSeconds, utc)) return unixSeconds;
    if (!::SystemTimeToTzSpecificLocalTime(&zone, &utc, &local)) return unixSeconds;
    int64_t offsetMinutes = (unixSeconds - ToUnixSeconds(local)) / 60;  // UTC = local + offset
    bool daylight = offsetMinutes == static_cast<int64_t>(zone.Bias) + zone.DaylightBias;
    return daylight ? unixSeconds + static_cast<int64_t>(zone.DaylightBias) * 60 : unixSeconds;
}

std::string GetFileTimeTextCVSNT(const char* path) {
    int64_t seconds = 0;
    if (!LastWriteSeconds(path, seconds)) return std::string();
    return FormatTimestamp(seconds);
}

std::string GetFileTimeTextCVS(const char* path) {
    int64_t seconds = 0;
    if (!LastWriteSeconds(path, seconds)) return std::string();
    return FormatTimestamp(ApplyDaylightRule(seconds));
}

std::string GetFileTimeText(const char* path) {
    int64_t seconds = 0;
    if (!LastWriteSeconds(path, seconds)) return std::string();
    return TimeTextOfSeconds(seconds);
}

StatusId GetStatus(const char* path, const CCVSEntry& entry) {
    return DecideStatus(entry, [path] { return GetFileTimeText(path); });
}

std::string GetStatusText(const char* path, const CCVSEntry& entry) {
    return ferrow::LoadResString(GetStatus(path, entry));
}

bool IsModified(const char* path) {
    CCVSEntry entry;
    if (!FindEntry(path, entry)) return false;
    return GetStatus(path, entry) != kStatusOK;
}

bool IsModifiedFile(const char* path) {
    CCVSEntry entry;
    if (!FindEntry(path, entry)) return false;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    const bool exists = QueryAttributes(path, data);
    if (exists && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    return DecideStatus(entry, [&] { return TimeText(exists ? &data : nullptr); }) != kStatusOK;
}

#include "records/daily_log.h"

#include <algorithm>
#include <numeric>

#include "common/format.h"

namespace {

bool IsLeapYear(unsigned year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// "%4u/%2u/%2u … " for a log line.
void AppendDatePrefix(std::u16string& out, const LogDate& date) {
    AppendUnsigned(out, date.year, 4);
    out += u'/';
    AppendUnsigned(out, date.month, 2);
    out += u'/';
    AppendUnsigned(out, date.day, 2);
    out += u" … ";
}

bool IsBlank(char16_t c) {
    // What iswspace accepts in the C locale.
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

}  // namespace

bool IsValidDate(uint16_t year, uint16_t month, uint16_t day) {
    static constexpr uint16_t kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) {
        return false;
    }
    const uint16_t length = month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
    return day <= length;
}

bool StepBackOneDay(LogDate& date) {
    if (!IsValidDate(date.year, date.month, date.day)) {
        return false;
    }
    if (--date.day == 0) {
        date.day = 31;
        if (--date.month == 0) {
            date.month = 12;
            --date.year;  // year 0 goes to 65535; the date stays a valid one
        }
        // The month's last day is one of 31, 30, 29 and 28.
        while (!IsValidDate(date.year, date.month, date.day)) {
            --date.day;
        }
    }
    return true;
}

std::u16string LogValueName(const LogDate& date) {
    std::u16string name;
    AppendUnsigned(name, date.year, 4, u'0');
    AppendUnsigned(name, date.month, 2, u'0');
    AppendUnsigned(name, date.day, 2, u'0');
    return name;
}

int32_t LogNameNumber(std::u16string_view name) {
    size_t i = 0;
    while (i < name.size() && IsBlank(name[i])) {
        ++i;
    }
    bool negative = false;
    if (i < name.size() && (name[i] == u'+' || name[i] == u'-')) {
        negative = name[i] == u'-';
        ++i;
    }
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
    int64_t magnitude = 0;
    for (; i < name.size() && name[i] >= u'0' && name[i] <= u'9'; ++i) {
        magnitude = std::min(kLimit, magnitude * 10 + (name[i] - u'0'));
    }
    if (negative) {
        return static_cast<int32_t>(-magnitude);
    }
    return static_cast<int32_t>(std::min<int64_t>(magnitude, INT32_MAX));
}

std::vector<size_t> ChooseLogNamesToPrune(const std::vector<std::u16string>& names, size_t keep) {
    if (names.size() <= keep) {
        return {};
    }
    std::vector<int32_t> numbers(names.size());
    std::transform(names.begin(), names.end(), numbers.begin(),
                   [](const std::u16string& name) { return LogNameNumber(name); });
    std::vector<size_t> order(names.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return numbers[a] < numbers[b]; });
    order.resize(names.size() - keep);
    return order;
}

std::u16string LogSummaryText(const LogDate& today, int days,
                              const std::function<uint32_t(const std::u16string&)>& readSeconds) {
    days = std::clamp(days, 1, kLogSummaryMaxDays);
    std::u16string text;
    // One allocation: a day's line is about 23 characters, and hours may grow it a little.
    text.reserve(64 + static_cast<size_t>(days) * 32);
    text += u"過去";
    AppendUnsigned(text, static_cast<uint32_t>(days));
    text += u"日間の合計閲覧時間です。\r\n\r\n";

    // Summed wide so that the average stays exact; the total shown saturates like the
    // day's own count.
    uint64_t total = 0;
    LogDate date = today;
    for (int i = 0; i < days; ++i) {
        const uint32_t seconds = readSeconds(LogValueName(date));
        AppendDatePrefix(text, date);
        AppendHms(text, seconds);
        text += u"\r\n";
        total += seconds;
        if (!StepBackOneDay(date)) {
            AppendDatePrefix(text, date);
            text += u"内部矛盾\r\n";
            break;
        }
    }
    const auto shownTotal = static_cast<uint32_t>(std::min<uint64_t>(total, UINT32_MAX));
    text += u"\r\n";
    AppendUnsigned(text, static_cast<uint32_t>(days));
    text += u"日間の合計 … ";
    AppendHms(text, shownTotal);
    text += u"\r\n";
    AppendUnsigned(text, static_cast<uint32_t>(days));
    text += u"日間の平均 … ";
    AppendHms(text, static_cast<uint32_t>(total / static_cast<uint64_t>(days)));
    text += u"\r\n";
    return text;
}

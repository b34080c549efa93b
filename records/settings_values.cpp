#include "records/settings_values.h"

namespace {

bool ReadBool(SettingsSource& source, const char16_t* name, bool fallback) {
    return BoolFromStored(source.ReadInteger(name, fallback ? 1 : 0));
}

uint16_t ReadHourOrMinute(SettingsSource& source, const char16_t* name) {
    return HourOrMinuteFromStored(source.ReadInteger(name, 0));
}

void WriteBool(SettingsSink& sink, const char16_t* name, bool value) {
    sink.WriteInteger(name, StoredFromBool(value));
}

void WriteText(SettingsSink& sink, const char16_t* name,
               const std::optional<std::u16string>& text) {
    sink.WriteText(name, text ? std::u16string_view(*text) : std::u16string_view());
}

}  // namespace

void ReadSettingsValues(Settings& s, SettingsSource& source) {
    s.NotifyFinish = ReadBool(source, u"NotifyFinish", true);
    s.NotifyHour = ReadBool(source, u"NotifyHour", false);
    s.NotifyTime = ReadBool(source, u"NotifyTime", false);
    s.HistryEnabled = ReadBool(source, u"HistryEnabled", false);
    s.NoTaskbarIcon = ReadBool(source, u"NoTaskbarIcon", false);
    s.Voice = ReadBool(source, u"Voice", true);
    s.Alarm1Enable = ReadBool(source, u"Alarm1Enable", false);
    s.Alarm2Enable = ReadBool(source, u"Alarm2Enable", false);
    s.Alarm3Enable = ReadBool(source, u"Alarm3Enable", false);
    s.Alarm1h = ReadHourOrMinute(source, u"Alarm1h");
    s.Alarm2h = ReadHourOrMinute(source, u"Alarm2h");
    s.Alarm3h = ReadHourOrMinute(source, u"Alarm3h");
    s.Alarm1m = ReadHourOrMinute(source, u"Alarm1m");
    s.Alarm2m = ReadHourOrMinute(source, u"Alarm2m");
    s.Alarm3m = ReadHourOrMinute(source, u"Alarm3m");
    s.Alarm1Mes = source.ReadText(u"Alarm1Mes");
    s.Alarm2Mes = source.ReadText(u"Alarm2Mes");
    s.Alarm3Mes = source.ReadText(u"Alarm3Mes");
    s.SelEdition = source.ReadInteger(u"SelEdition", 0);
    s.WindowLeft = source.ReadInteger(u"WindowLeft", PositionUnset);
    s.WindowTop = source.ReadInteger(u"WindowTop", PositionUnset);
}

void WriteSettingsValues(const Settings& s, int32_t windowLeft, int32_t windowTop,
                         SettingsSink& sink) {
    WriteBool(sink, u"NotifyFinish", s.NotifyFinish);
    WriteBool(sink, u"NotifyHour", s.NotifyHour);
    WriteBool(sink, u"NotifyTime", s.NotifyTime);
    WriteBool(sink, u"HistryEnabled", s.HistryEnabled);
    WriteBool(sink, u"Voice", s.Voice);
    WriteBool(sink, u"Alarm1Enable", s.Alarm1Enable);
    WriteBool(sink, u"Alarm2Enable", s.Alarm2Enable);
    WriteBool(sink, u"Alarm3Enable", s.Alarm3Enable);
    sink.WriteInteger(u"Alarm1h", s.Alarm1h);
    sink.WriteInteger(u"Alarm2h", s.Alarm2h);
    sink.WriteInteger(u"Alarm3h", s.Alarm3h);
    sink.WriteInteger(u"Alarm1m", s.Alarm1m);
    sink.WriteInteger(u"Alarm2m", s.Alarm2m);
    sink.WriteInteger(u"Alarm3m", s.Alarm3m);
    WriteText(sink, u"Alarm1Mes", s.Alarm1Mes);
    WriteText(sink, u"Alarm2Mes", s.Alarm2Mes);
    WriteText(sink, u"Alarm3Mes", s.Alarm3Mes);
    sink.WriteInteger(u"SelEdition", static_cast<uint32_t>(s.SelEdition));
    sink.WriteInteger(u"WindowLeft", static_cast<uint32_t>(windowLeft));
    sink.WriteInteger(u"WindowTop", static_cast<uint32_t>(windowTop));
}

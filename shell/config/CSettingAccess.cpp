#include "CSettingAccess.h"

#include "ConfigManager.h"
#include "IniText.h"
#include "SettingRanges.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace {

enum class Kind { Int, Real, Text, SlotInt, SlotText };

// The longest text stored: an over-long line could not be written to config.ini.
constexpr std::size_t kLongestText = 512;

struct Rule {
    Kind kind;
    int id;    // the ConfigInt, ConfigReal, ConfigText, ConfigSlotInt or ConfigSlotText value
    int slot;  // for the CustomKey values
    int min;   // Int and SlotInt: the accepted range; Real: the slider's
    int max;
    // Real: the stored value of slider position v, and the least stored value.
    float (*realOf)(int);
    // Text and SlotText: whether a text is accepted.
    bool (*textOk)(const std::string&);
    const char* expected;  // said when a value is refused
};

bool SixOfOneAndZero(const std::string& text)
{
    return text.size() == 6 && std::all_of(text.begin(), text.end(), [](char c) { return c == '0' || c == '1'; });
}

// The mouse function stays first; the others in any order, each once.
bool FunctionOrder(const std::string& text)
{
    if (text.size() != 6 || text[0] != '1')
        return false;
    std::string sorted = text;
    std::sort(sorted.begin(), sorted.end());
    return sorted == "123456";
}

bool WebAddress(const std::string& text) { return text.size() <= kLongestText && IsAcceptedWebAddress(text); }

float ZoomMomOf(int v) { return kZoomMoms.at(static_cast<std::size_t>(v)); }

Rule IntRule(ConfigInt key, int min, int max, const char* expected)
{
    return {Kind::Int, static_cast<int>(key), 0, min, max, nullptr, nullptr, expected};
}
Rule Switch(ConfigInt key) { return IntRule(key, 0, 1, "0 or 1"); }
Rule RealRule(ConfigReal key, int min, int max, float (*realOf)(int), const char* expected)
{
    return {Kind::Real, static_cast<int>(key), 0, min, max, realOf, nullptr, expected};
}

const std::vector<Rule>& Rules()
{
    static const std::vector<Rule> rules = {
        IntRule(ConfigInt::HotKey, kHotKeyBase, kHotKeyBase + kHotKeyItems - 1, "2, 3 or 4"),
        {Kind::Text, static_cast<int>(ConfigText::SelValue), 0, 0, 0, nullptr, FunctionOrder,
         "the digits 1 to 6 once each, 1 first"},
        {Kind::Text, static_cast<int>(ConfigText::IsUsed), 0, 0, 0, nullptr, SixOfOneAndZero, "six digits 0 or 1"},
        IntRule(ConfigInt::MouseDPI, kMinCursorSpeed, kMaxCursorSpeed, "a whole number from 0 to 80"),
        IntRule(ConfigInt::ShockIntensity, kMinShockIntensity, kMaxShockIntensity, "1, 2 or 3"),
        Switch(ConfigInt::SearchlightShowMouse),
        Switch(ConfigInt::SearchlightSaveStatu),
        IntRule(ConfigInt::SearchlightAlphaVal, LensAlphaOf(kSpotlightLeastAlpha), LensAlphaOf(100),
                "a whole number from 51 to 255"),
        RealRule(ConfigReal::SearchlightBorderRound, 0, kLensRoundSliderMax, LensRoundOf, "a number from 0 to 0.5"),
        RealRule(ConfigReal::SearchlightAspectRatio, kLensAspectSliderMin, kLensAspectSliderMax, LensAspectOf,
                 "a number from 0.3 to 1"),
        Switch(ConfigInt::ZoomShowMouse),
        Switch(ConfigInt::ZoomSaveStatu),
        IntRule(ConfigInt::ZoomAlphaVal, LensAlphaOf(kZoomLeastAlpha), LensAlphaOf(100), "a whole number from 0 to 255"),
        RealRule(ConfigReal::ZoomBorderRound, 0, kLensRoundSliderMax, LensRoundOf, "a number from 0 to 0.5"),
        RealRule(ConfigReal::ZoomAspectRatio, kLensAspectSliderMin, kLensAspectSliderMax, LensAspectOf,
                 "a number from 0.3 to 1"),
        RealRule(ConfigReal::ZoomMom, 0, static_cast<int>(kZoomMoms.size()) - 1, ZoomMomOf, "1.5, 2 or 2.5"),
        Switch(ConfigInt::DigitalLaserSaveStatu),
        IntRule(ConfigInt::DigitalLaserColor, 1, kLaserColorCount, "1, 2 or 3"),
        IntRule(ConfigInt::LineColor, 1, kLineColorCount, "1, 2, 3 or 4"),
        IntRule(ConfigInt::LineSize, kMinLineSize, kMaxLineSize, "a whole number from 4 to 10"),
        {Kind::SlotInt, static_cast<int>(ConfigSlotInt::Key), kSlotPresenter, 0, 10, nullptr, nullptr,
         "a custom action the presenter offers: 0 to 10"},
        {Kind::SlotInt, static_cast<int>(ConfigSlotInt::Key), kSlotMouse, 0, 13, nullptr, nullptr,
         "a custom action the mouse offers: 0, 1 or 5 to 13"},
        {Kind::SlotText, static_cast<int>(ConfigSlotText::WebUrl), kSlotPresenter, 0, 0, nullptr, WebAddress,
         "letters, digits and - . / ? : @ & = _ + ~ # %"},
        {Kind::SlotText, static_cast<int>(ConfigSlotText::WebUrl), kSlotMouse, 0, 0, nullptr, WebAddress,
         "letters, digits and - . / ? : @ & = _ + ~ # %"},
    };
    return rules;
}

std::pair<std::string, std::string> NameOf(const Rule& rule)
{
    switch (rule.kind) {
    case Kind::Int:
        return {KeyInfo(static_cast<ConfigInt>(rule.id)).section, KeyInfo(static_cast<ConfigInt>(rule.id)).key};
    case Kind::Real:
        return {KeyInfo(static_cast<ConfigReal>(rule.id)).section, KeyInfo(static_cast<ConfigReal>(rule.id)).key};
    case Kind::Text:
        return {KeyInfo(static_cast<ConfigText>(rule.id)).section, KeyInfo(static_cast<ConfigText>(rule.id)).key};
    case Kind::SlotInt:
        return {kCustomKeySection, SlotKeyName(KeyInfo(static_cast<ConfigSlotInt>(rule.id)).key, rule.slot)};
    case Kind::SlotText:
        return {kCustomKeySection, SlotKeyName(KeyInfo(static_cast<ConfigSlotText>(rule.id)).key, rule.slot)};
    }
    return {};
}

const Rule* Find(const std::string& section, const std::string& key)
{
    for (const Rule& rule : Rules()) {
        if (NameOf(rule) == std::pair{section, key})
            return &rule;
    }
    return nullptr;
}

// The whole text as a number, nothing before or after it.
template <class T>
std::optional<T> Number(const std::string& text)
{
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty())
        return std::nullopt;
    return value;
}

// The slider position whose stored value is `value`, when there is one.
std::optional<int> SliderPosition(const Rule& rule, double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    for (int v = rule.min; v <= rule.max; ++v) {
        if (std::fabs(rule.realOf(v) - value) < 0.0025)
            return v;
    }
    return std::nullopt;
}

} // namespace

bool CSettingAccess::Get(const std::string& section, const std::string& key, std::string& value) const
{
    const Rule* rule = Find(section, key);
    if (rule == nullptr)
        return false;
    switch (rule->kind) {
    case Kind::Int:
        value = CIniText::FormatInt(m_config.GetInt(static_cast<ConfigInt>(rule->id)));
        break;
    case Kind::Real:
        value = CIniText::FormatReal(m_config.GetReal(static_cast<ConfigReal>(rule->id)));
        break;
    case Kind::Text:
        value = m_config.GetText(static_cast<ConfigText>(rule->id));
        break;
    case Kind::SlotInt:
        value = CIniText::FormatInt(m_config.GetSlotInt(static_cast<ConfigSlotInt>(rule->id), rule->slot));
        break;
    case Kind::SlotText:
        value = m_config.GetSlotText(static_cast<ConfigSlotText>(rule->id), rule->slot);
        break;
    }
    return true;
}

CSettingAccess::Result CSettingAccess::Set(const std::string& section, const std::string& key, const std::string& value,
                                           std::string& why)
{
    const Rule* rule = Find(section, key);
    if (rule == nullptr) {
        why = "no setting " + section + "." + key;
        return Result::UnknownKey;
    }
    const auto refused = [&] {
        why = section + "." + key + " takes " + rule->expected;
        return Result::Refused;
    };
    int written = -1;
    switch (rule->kind) {
    case Kind::Int:
    case Kind::SlotInt: {
        const std::optional<int> number = Number<int>(value);
        if (!number || *number < rule->min || *number > rule->max)
            return refused();
        if (rule->kind == Kind::SlotInt) {
            if (!IsOfferedCustomAction(*number, rule->slot))
                return refused();
            written = m_config.SetSlotInt(static_cast<ConfigSlotInt>(rule->id), rule->slot, *number, true);
        } else {
            written = m_config.SetInt(static_cast<ConfigInt>(rule->id), *number, true);
        }
        break;
    }
    case Kind::Real: {
        const std::optional<double> number = Number<double>(value);
        const std::optional<int> position = number ? SliderPosition(*rule, *number) : std::nullopt;
        if (!position)
            return refused();
        written = m_config.SetReal(static_cast<ConfigReal>(rule->id), rule->realOf(*position), true);
        break;
    }
    case Kind::Text:
        if (!rule->textOk(value))
            return refused();
        written = m_config.SetText(static_cast<ConfigText>(rule->id), value, true);
        break;
    case Kind::SlotText:
        if (!rule->textOk(value))
            return refused();
        written = m_config.SetSlotText(static_cast<ConfigSlotText>(rule->id), rule->slot, value, true);
        break;
    }
    if (written != 0) {
        why = "config.ini could not be written";
        return Result::WriteFailed;
    }
    return Result::Stored;
}

std::string CSettingAccess::KeyList()
{
    std::string list;
    for (const Rule& rule : Rules()) {
        const auto [section, key] = NameOf(rule);
        list += "  " + section + "." + key + ": " + rule.expected + "\n";
    }
    return list;
}

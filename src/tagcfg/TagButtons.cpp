#include "tagcfg/TagButtons.h"

#include <deque>

namespace TagButtons {
namespace {

using P = TagProgress;
using Id = TagButton::Id;
using Code = TagStep::Code;

constexpr const char *kSetOk = "Set TAG Ok"; // translated wherever it is shown

TagStep write(quint8 reg, TagValue value)
{
    return {'w', reg, value, 0};
}

TagStep fixed(quint8 reg, quint8 v)
{
    return {'w', reg, TagValue::None, v};
}

TagStep read(quint8 reg, TagValue target, int whenNotHex = -1)
{
    return {'r', reg, target, 0, whenNotHex};
}

TagStep coded(quint8 reg, Code code)
{
    return {'w', reg, TagValue::None, 0, -1, code};
}

QByteArray numbered(const char *name, const char *suffix)
{
    return QByteArray(name) + suffix;
}

// Names built per page must outlive the table.
const char *keep(const QByteArray &text)
{
    static std::deque<QByteArray> names;
    names.push_back(text);
    return names.back().constData();
}

void addPageButtons(std::vector<TagButton> &b, TagPage page, const char *suffix)
{
    const bool tagPage = page == TagPage::Tag;
    TagButton set{Id::SetActiveTime,
                  page,
                  keep(numbered("btnSetTagTime", suffix)),
                  "Set TAG Active Time",
                  "set-active-time",
                  {write(0x40, TagValue::ActiveInterval), write(0x41, TagValue::ActiveCount)},
                  tagPage ? kSetOk : "Set TAG Active Time Ok.",
                  tagPage,
                  "Set TAG Active Time Error!",
                  P::SettingTranslated,
                  // The wristband page counts the seconds with the other writes' text.
                  page == TagPage::Wk ? P::Seting : P::SettingTranslated,
                  // The flashlight page's button is the one that translates the guard.
                  page == TagPage::Fz};
    b.push_back(set);
    b.push_back({Id::GetActiveTime,
                 page,
                 keep(numbered("btnGetTagTime", suffix)),
                 "Get TAG Active Time",
                 "get-active-time",
                 {read(0x40, TagValue::ActiveInterval), read(0x41, TagValue::ActiveCount)},
                 tagPage ? kSetOk : "Get TAG Active Time Ok.",
                 tagPage,
                 "Get TAG Active Time Error!",
                 P::Getting,
                 P::Getting});
    b.push_back({Id::LedMode,
                 page,
                 keep(numbered("btnTagLEDMode", suffix)),
                 "TAG LED Mode",
                 "led-mode",
                 {coded(0x46, Code::LedMode)},
                 "Set TAG LED Mode Ok.",
                 false,
                 "Set TAG LED Mode Error!",
                 P::Seting,
                 P::Seting});
    TagButton led{Id::Led,           page,     keep(numbered("btnTagLED", suffix)),
                  "TAG LED",         "led",    {},
                  "Set TAG LED Ok.", false,    "Set TAG LED Error!",
                  P::Seting,         P::Seting};
    led.kind = TagButton::Kind::LedAction;
    led.actionMessage = "Set TAG LED";
    b.push_back(led);
}

void addSharedButtons(std::vector<TagButton> &b)
{
    auto shared = [&b](TagButton button) {
        button.allPages = true;
        b.push_back(button);
        return &b.back();
    };
    const TagPage t = TagPage::Tag;
    shared({Id::TagOn,
            t,
            "btnSendOn",
            "TAG On",
            "on",
            {fixed(0x42, 0x00)},
            kSetOk,
            true,
            "Set TAG On Error!",
            P::Seting,
            P::Seting});
    shared({Id::TagOff,
            t,
            "btnSendOff",
            "TAG Off",
            "off",
            {fixed(0x42, 0x01)},
            kSetOk,
            true,
            "Set TAG Off Error!",
            P::Seting,
            P::Seting});
    shared({Id::SetReceiveCount,
            t,
            "btnSetTagRecv1",
            "Set TAG Receive Count",
            "set-receive-count",
            {write(0x43, TagValue::ReceiveCount)},
            kSetOk,
            true,
            "Set TAG Receive Count Error!",
            P::Seting,
            P::Seting});
    shared({Id::GetReceiveCount,
            t,
            "btnGetTagRecv1",
            "Get TAG Receive Count",
            "get-receive-count",
            {read(0x43, TagValue::ReceiveCount)},
            "Ok",
            true,
            "Get TAG Receive Count Error!",
            P::Getting,
            P::Getting});
    TagButton *beep = shared({Id::Beep,
                              t,
                              "btnTagBeep1",
                              "TAG Beep",
                              "beep",
                              {},
                              "Set TAG Beep Ok.",
                              false,
                              "Set TAG Beep Error!",
                              P::Seting,
                              P::Seting});
    beep->kind = TagButton::Kind::BeepAction;
    beep->actionMessage = "Set TAG Beep";
    TagButton *version = shared({Id::Version,
                                 t,
                                 "btnTAGVersion",
                                 "TAG Version",
                                 "version",
                                 {read(0x48, TagValue::Version)},
                                 "",
                                 false,
                                 "Get TAG Version Error!",
                                 P::Getting,
                                 P::Getting});
    version->versionSuccess = true;
    shared({Id::SetPa,
            t,
            "btnSetTagPA1",
            "Set TAG PA",
            "set-pa",
            {write(0x30, TagValue::PaLevel)},
            "Ok",
            true,
            "Set TAG PA Error!",
            P::Seting,
            P::Seting});
    // A PA value that is no number fails like every other read (never taken as 255).
    shared({Id::GetPa,
            t,
            "btnGetTagPA1",
            "Get TAG PA",
            "get-pa",
            {read(0x30, TagValue::PaLevel)},
            "Ok",
            true,
            "Get TAG PA Error!",
            P::Getting,
            P::Getting});
    shared({Id::PowerKeyMode,
            t,
            "btnONOFFMode",
            "Power On/Off Mode",
            "power-key-mode",
            {coded(0x45, Code::PowerKey)},
            "Set TAG Power On/Off Mode Ok.",
            false,
            "Set TAG Power On/Off Mode Error!",
            P::Getting,
            P::Getting});
}

// "PV/PJ": one write each; done once "X0000" has gone out.
void addAlarmButtons(std::vector<TagButton> &b)
{
    auto alarm = [&b](Id id, const char *objectName, const char *caption, const char *cliName, TagStep step,
                      const char *cliArg = nullptr) {
        TagButton button{id,   TagPage::PvPj,    objectName, caption,   cliName, {step}, kSetOk,
                         true, "Set TAG Error!", P::Seting,  P::Seting, false,   true};
        button.cliArg = cliArg;
        b.push_back(button);
    };
    alarm(Id::IrDetectTimes, "btnPV00", "IR detect times", "ir-detect-times",
          write(0x50, TagValue::IrDetectTimes));
    alarm(Id::IrDetectInterval, "btnPV01", "IR detect interval", "ir-detect-interval",
          write(0x51, TagValue::IrDetectInterval));
    alarm(Id::TempDifference, "btnPV02", "Temp difference", "temp-difference",
          write(0x52, TagValue::TempDifference));
    alarm(Id::AlarmCount, "btnPV03", "Alarm count", "alarm-count", write(0x53, TagValue::AlarmCount));
    alarm(Id::AntiTamperOn, "btnPV04_1", "ON", "anti-tamper", fixed(0x54, 1), "on");
    alarm(Id::AntiTamperOff, "btnPV04_2", "OFF", "anti-tamper", fixed(0x54, 0), "off");
    alarm(Id::TemperatureAlarmOn, "btnPV05_1", "ON", "temperature-alarm", fixed(0x55, 1), "on");
    alarm(Id::TemperatureAlarmOff, "BitBtn7", "OFF", "temperature-alarm", fixed(0x55, 0), "off");
    alarm(Id::StandardTemp, "btnPV06", "Standard Temp", "standard-temp", write(0x56, TagValue::StandardTemp));
    alarm(Id::TopLevel, "btnPV07", "Top Level", "top-level", write(0x57, TagValue::TopLevel));
    alarm(Id::HighLevel, "btnPV08", "High Level", "high-level", write(0x58, TagValue::HighLevel));
    alarm(Id::LowLevel, "btnPV09", "Low Level", "low-level", write(0x59, TagValue::LowLevel));
    alarm(Id::BottomLevel, "btnPVA", "Bottom Level", "bottom-level", write(0x5A, TagValue::BottomLevel));
    alarm(Id::AlarmBeepOn, "btnPVB_1", "ON", "alarm-beep", fixed(0x5B, 1), "on");
    alarm(Id::AlarmBeepOff, "btnPVB_2", "OFF", "alarm-beep", fixed(0x5B, 0), "off");
}

std::vector<TagButton> makeButtons()
{
    std::vector<TagButton> b;
    addPageButtons(b, TagPage::Tag, "");
    addSharedButtons(b);
    addPageButtons(b, TagPage::Wk, "2");
    addPageButtons(b, TagPage::Rq, "3");
    addPageButtons(b, TagPage::Fz, "4");
    addAlarmButtons(b);
    return b;
}

bool onPage(const TagButton &button, TagPage page)
{
    return button.page == page || (button.allPages && page != TagPage::PvPj);
}

} // namespace

const std::vector<TagButton> &all()
{
    static const std::vector<TagButton> kButtons = makeButtons();
    return kButtons;
}

const TagButton &get(TagButton::Id id)
{
    for (const TagButton &button : all())
        if (button.id == id)
            return button;
    return all().front();
}

const TagButton *find(TagButton::Id id, TagPage page)
{
    for (const TagButton &button : all())
        if (button.id == id && onPage(button, page))
            return &button;
    return nullptr;
}

const TagButton *findByCliName(const QString &name, TagPage page, const QString &cliArg)
{
    for (const TagButton &button : all()) {
        if (name != QLatin1String(button.cliName))
            continue;
        if (button.page == TagPage::PvPj || onPage(button, page))
            if (!button.cliArg || cliArg == QLatin1String(button.cliArg))
                return &button;
    }
    return nullptr;
}

bool takesOnOff(const QString &name)
{
    for (const TagButton &button : all())
        if (button.cliArg && name == QLatin1String(button.cliName))
            return true;
    return false;
}

} // namespace TagButtons

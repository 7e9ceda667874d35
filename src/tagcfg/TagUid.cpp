#include "tagcfg/TagUid.h"

#include <algorithm>

namespace TagUid {

bool isValid(const QString &uid)
{
    if (uid.size() != kLength)
        return false;
    const bool hex = std::all_of(uid.begin(), uid.end(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    });
    return hex && uid != QString(kLength, QLatin1Char('0'));
}

std::optional<TagFlowMessage::Kind> refusal(const QString &uid, bool tagChosen)
{
    if (uid.isEmpty() || !tagChosen)
        return TagFlowMessage::Kind::NotChosen;
    if (!isValid(uid))
        return TagFlowMessage::Kind::InvalidUid;
    return std::nullopt;
}

} // namespace TagUid

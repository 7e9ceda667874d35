#include "i18n/LinkLogText.h"

QString linkLogText(const LinkLogEvent &event, Language language)
{
    return event.text(translate(language, event.pattern()));
}

#include "readercfg/ConfigLink.h"

#include "i18n/ProblemText.h"

QString ConfigLink::errorText() const
{
    return problemText(m_error, Language::English);
}

#include "readercfg/ConfigLink.h"

QString ConfigLink::errorText() const
{
    return m_error.englishText();
}

#include "sim/SequenceChecker.h"

bool SequenceChecker::check(QByteArrayView uid)
{
    if (uid.size() < 16)
        return false;
    quint64 reader = 0;
    quint64 number = 0;
    for (int i = 0; i < 16; ++i) {
        const char c = uid[i];
        if (c < '0' || c > '9')
            return false;
        (i < 4 ? reader : number) = (i < 4 ? reader : number) * 10 + quint64(c - '0');
    }
    ++m_received;
    quint64 &last = m_last[int(reader)];
    if (number > last) {
        m_lost += number - last - 1;
        last = number;
    } else {
        ++m_outOfOrder;
    }
    return true;
}

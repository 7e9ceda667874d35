#pragma once

// A value a command object holds for a page to show (the sent command, the reply, the message line,
// the status text), kept in `member` and said with its change signal.
template <typename Owner, typename T, typename Signal>
void setShown(Owner *owner, T &member, const T &value, Signal changed)
{
    member = value;
    emit(owner->*changed)(value);
}

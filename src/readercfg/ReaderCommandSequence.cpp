#include "readercfg/ReaderCommandSequence.h"

#include "readercfg/ReaderCommands.h"

namespace ReaderSequences {

ReaderCommandSequence single(const QByteArray &command)
{
    return {{command, false, false}};
}

ReaderCommandSequence setGain(int gainByte)
{
    return {{ReaderCommands::setGain(gainByte), false, false}, {ReaderCommands::reset(), true, false}};
}

ReaderCommandSequence gainLevel(int level)
{
    const auto fields = ReaderCommands::gainLevelFields(level);
    return fields ? setGain(ReaderCommands::gainByte(*fields)) : ReaderCommandSequence();
}

ReaderCommandSequence relayOnTime(int seconds, bool autoOn)
{
    ReaderCommandSequence steps{{ReaderCommands::relayOnTime(seconds), false, false},
                                {ReaderCommands::relayOnMode(autoOn), false, true}};
    if (!autoOn)
        steps.append({ReaderCommands::reset(), false, true});
    return steps;
}

} // namespace ReaderSequences

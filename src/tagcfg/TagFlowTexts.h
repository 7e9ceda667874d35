#pragma once

#include "i18n/LanguageTable.h"

#include <QByteArray>
#include <QString>

// The texts the tag settings panel's message line shows while a tag command runs and at its end.
// Texts the language table holds are translated where the panel translates them; the texts this
// program adds (cancel, a refused UID, an acknowledgement value that is no number) are message rows
// of the same table.
namespace TagFlowTexts {

// How the message line counts: the attempt counter (10..1) or the seconds left (30..1) follow
// these texts directly.
enum class Progress
{
    SettingTranslated, // translated "Setting TAG" + " ......"
    Seting,            // "Seting TAG......"
    Getting            // "Getting TAG......"
};

QString progress(Progress kind, Language language, int count);
QString pleaseWait();
// "Please Read TAG First !" (with the space), translated only where a button asks for it.
QString guard(Language language, bool translated);
// A sequence ended by the user.
QString cancelled(Language language);
// A UID that no tag report can carry.
QString invalidUid(Language language, const QString &uid);
// Added to the failure text when an acknowledgement for the step came with a value that is not
// two hex digits and no good one followed.
QString valueNotHexNote(Language language, const QByteArray &valueText);
// Added to the failure text when a write was acknowledged with another value than the one sent.
QString wrongValueNote(Language language, const QByteArray &sent, const QByteArray &acknowledged);

} // namespace TagFlowTexts

#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

#include <optional>

struct TagButton;

// How the tag panel's message line counts while a tag command runs: the attempt counter (10..1)
// or the seconds left (30..1) follow the button's progress text directly.
enum class TagProgress
{
    SettingTranslated, // "Setting TAG ......", said in the user's language
    Seting,            // "Seting TAG......"
    Getting            // "Getting TAG......"
};

// What the tag panel's message line says while a tag button runs and at its end, as data: the
// stage, the button whose texts apply, and the values the words carry. The window and the command
// line put it into words.
struct TagFlowMessage
{
    enum class Kind
    {
        None,
        PleaseWait, // the link is being opened
        Progress,   // `progress` with `count`
        Action,     // an action (beep, LED) is sent: the button's action text
        Success,    // the button's success text, or the version the tag reported
        NotChosen,  // no tag chosen: nothing sent
        InvalidUid, // `uid` is none a tag report carries: nothing sent
        Cancelled,  // ended by the user
        Failure,    // the button's failure text, with what the acknowledgement got wrong
    };

    Kind kind = Kind::None;
    const TagButton *button = nullptr; // the button running (its texts)
    TagProgress progress = TagProgress::Getting;
    int count = 0;              // the attempt counter or the seconds left
    QString uid;                // InvalidUid: the refused UID
    std::optional<int> version; // Success of a version read: the version register's value
    // Failure: the value text of an acknowledgement that was no hex number.
    QByteArray badValue;
    // Failure: a write acknowledged with another value than the one sent (both value texts).
    bool wrongValue = false;
    QByteArray sentValue;
    QByteArray acknowledgedValue;
};
Q_DECLARE_METATYPE(TagFlowMessage)

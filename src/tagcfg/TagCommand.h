#pragma once

#include <QByteArray>

// The five characters that reach one tag inside the reader's "E" command: a letter ('w' write a
// register, 'r' read one, 'X' end the tag session), the register and the value, each as two
// upper-case hex digits: "w400A", "r4000", "X0000".
struct TagCommand
{
    char letter = 'X';
    quint8 reg = 0;
    quint8 value = 0;

    static TagCommand write(quint8 reg, quint8 value) { return {'w', reg, value}; }
    static TagCommand read(quint8 reg) { return {'r', reg, 0}; }
    static TagCommand close() { return {'X', 0, 0}; }

    bool isRead() const { return letter == 'r'; }
    bool isClose() const { return letter == 'X'; }
    // "w400A".
    QByteArray text() const;
    // The register as it stands in commands and acknowledgements: "40", "5A".
    QByteArray registerText() const;
    // The reader command that queues this tag command for the tag `uid`: "E" + UID + text().
    QByteArray readerCommand(const QByteArray &uid) const;
};

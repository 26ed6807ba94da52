#pragma once

#include <QString>

namespace tillora {

// The input mode of an edit box, numbered as the templates store it.
enum class InputMode {
    Normal = 0,
    ReadOnly = 1,
    Password = 2,
    IntegerText = 3,
    DecimalText = 4,
    Byte = 5,
    Short = 6,
    Integer = 7,
    Long = 8,
    Float = 9,
    Double = 10,
    DateTime = 11,
};

// No mode drops a typed character: a numeric box that swallowed the "e" of "1e3" or the "x" of
// "0x10" would hold 13 or 10, a number nobody typed. A box keeps what was typed, and the window
// that reads it refuses a text that is no plain number, with a message.

// The text an edit box shows after it loses the focus: the converting numeric modes write a
// plain number back in canonical form ("12.50" -> "12.5", full-width digits as ASCII; a zero
// shows as an empty box) and leave any other text as typed; the date-time mode writes a
// readable date by the date-time rule (empty when it is no date); the other modes keep the text.
QString canonicalText(InputMode mode, const QString& typed);

}  // namespace tillora

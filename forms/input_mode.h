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

// Whether a typed character is let through. Control characters (below 32) always pass so that
// editing keys keep working.
bool inputModeAccepts(InputMode mode, char32_t ch);

// The text an edit box shows after it loses the focus: numeric modes convert and write back in
// canonical form ("12.50" -> "12.5"; a zero shows as an empty box), the date-time mode writes a
// readable date by the date-time rule (empty when it is no date); the other modes keep the text.
QString canonicalText(InputMode mode, const QString& typed);

}  // namespace tillora

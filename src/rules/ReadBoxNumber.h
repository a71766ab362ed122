#pragma once

#include <QString>

// Reads a whole number typed into a rule's box, as leniently as a person
// expects: blanks, tabs and line breaks anywhere are ignored ("1 2" is 12),
// the longest leading number is taken ("3abc" is 3), decimals round half to
// even ("2.5" is 2), "&H" and "&O" introduce hexadecimal and octal numbers,
// and anything else reads as 0. Values beyond the 32-bit range saturate.
qint32 ReadBoxNumber(const QString &text);

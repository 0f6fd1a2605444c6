// Names that travel: box folders move between Linux and Windows (a share, a
// copied backup), so a name the program gives a file or folder must be one
// Windows can hold, and two names Windows takes for one are one name.
#pragma once

#include <string_view>

namespace plova {

// Whether Windows can hold `name` as one file or folder name: not empty, not
// "." or "..", at most 255 UTF-16 units, none of < > : " / \ | ? * nor a
// control character, no trailing dot or space, and not a device's name (CON,
// PRN, AUX, NUL, COM1–COM9, LPT1–LPT9, CONIN$, CONOUT$, in any case, with or
// without an extension: "nul.txt" and "Com1.wav" name the device too).
bool IsPortableName(std::u16string_view name);

// Whether Windows takes the two names for one: compared unit by unit after
// the simple upper-case mapping of the letters Windows folds (Latin,
// Greek, Cyrillic, Armenian, full-width Latin, Roman numerals, circled
// letters), as its file systems do. "A1" and "a1", "x.WAV" and "x.wav",
// "ＡＢ" and "ａｂ" are one name; "ｶ" and "カ" are not.
bool IsSamePortableName(std::u16string_view a, std::u16string_view b);

// The unit Windows folds `c` to when it compares names.
char16_t PortableNameFold(char16_t c);

}  // namespace plova

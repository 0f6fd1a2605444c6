// Paths in the windows: a path as a field or a list shows and edits it, and
// the path such a text names.
#pragma once

#include <QString>
#include <filesystem>

#include "platform/Text.h"

namespace plova::ui {

// The name's own text (TextOfPath, PathOfText) both ways, so a Japanese name,
// and on Linux a name that is not UTF-8, finds the same file again. QString's
// toStdString() and a path's string() pass through the ANSI code page on
// Windows and lose such names.
inline QString QsOfPath(const std::filesystem::path& path) {
    const std::u16string text = TextOfPath(path);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::filesystem::path PathOfQs(const QString& text) {
    return PathOfText(text.toStdU16String());
}

}  // namespace plova::ui

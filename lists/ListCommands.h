// Command numbers a list window starts itself.
#pragma once

namespace plova::listcmd {
constexpr int kEditRecording = 32791;  // a double click on a row edits its recording information
}  // namespace plova::listcmd

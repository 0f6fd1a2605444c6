// Buttons 1017 (upload) and 1018 (add) of the system response list: a new
// message from the user's audio file, and the selected messages sent to the
// main unit, each behind its progress window with the main window disabled,
// and the list shown again afterwards.
#pragma once

namespace plova::ui {

class ListCommandHost;

// Button 1018 on the active response list: the overwrite question, the file
// dialog, the checks and the import of the chosen file, then the list again.
void AddSystemMessage(ListCommandHost& host);

// Button 1017 once the user agreed: the selected rows' messages to the main
// unit, their upload marks, the closing message, then the list again.
void UploadSelectedMessages(ListCommandHost& host);

// Registers both with the main window.
void InstallResponseCommands(ListCommandHost& host);

}  // namespace plova::ui

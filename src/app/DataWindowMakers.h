#pragma once
// The data windows behind the Data and Options menu commands.
class TMainForm;

// Tells the main window how each of its data windows is made.
void RegisterDataWindows(TMainForm& form);

#pragma once
// The results side of the main window: File ▸ Export Report..., View ▸ Results, and the results
// window that each successful run opens or refreshes.
class TMainForm;

// Adds the commands to the File and View menus (while CreateMenus builds them), and shows the results
// after each run.
void AddResultsCommands(TMainForm& form);
// After a run that wrote its results: shows (or refreshes) the results window.
void ShowRunResults(TMainForm& form);

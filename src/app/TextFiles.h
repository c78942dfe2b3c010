#pragma once
// Text files in the user's text editor, and the help files beside the program.
#include <QString>
#include <QUrl>

// The editor used when none is set: Notepad in the Windows folder on Windows; elsewhere the
// desktop's opener, which starts the user's default application for text files.
QString DefaultWordProcessor();

// Starts `editor` on `file` without waiting for it. The program and the file are passed separately,
// never through a shell, so blanks in either need no quoting. An editor text that names no file but
// starts with a program followed by arguments ("gedit --new-window") is taken as that program and
// its arguments. False when the process could not be started.
bool LaunchEditor(const QString& editor, const QString& file);

// The files opened from the Computation and Help menus, all in the program's folder.
constexpr const char* ErrorMessageNotesFile = "error-message.txt";
constexpr const char* HelpContentsFile = "contents.html";
constexpr const char* UsersManualFile = "user-manual.html";
constexpr const char* TechnicalManualFile = "technical-manual.html";
constexpr const char* ReleaseNotesFile = "CHANGELOG.html";

// `folder` joined with `name`.
QString ProgramFile(const QString& folder, const char* name);

// What Check for Updates opens: the project's web page when one was set when the program was built,
// else the release notes beside the program.
QUrl UpdatesUrl(const QString& programFolder);

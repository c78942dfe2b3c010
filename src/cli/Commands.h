#pragma once
// The subcommands of brevanto-cli. Each takes the arguments after its own name and returns the
// process exit code; messages go to standard error, results to standard output.
#include "text/Messages.h"
#include <string>
#include <vector>

using TArgs = std::vector<std::string>;

int CmdEval(const TArgs& args);
int CmdConvert(const TArgs& args);
int CmdUnits(const TArgs& args);
int CmdRender(const TArgs& args);
int CmdAnalyze(const TArgs& args);
int CmdVerify(const TArgs& args);
int CmdReport(const TArgs& args);

// The whole program: argv[1] names the command. Returns the exit code (2 for a usage error).
int RunCli(int argc, char** argv);

// A message sink that prints "brevanto-cli: <subject>: <message>" on standard error, with our
// messages' line break ("\r") written as a newline so a terminal does not overwrite the first part.
// Sets *problem (when given) on every message.
TMessageHandler CliMessages(const std::string& subject, bool* problem = nullptr);
// The text with every "\r\n" and lone "\r" turned into "\n".
std::string TerminalText(const std::string& text);

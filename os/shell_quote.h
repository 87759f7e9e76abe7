// A file's path as text for FAR's command line, which the host runs through the system's command
// interpreter: a POSIX shell ($SHELL) on Linux, cmd.exe on Windows.
//
// Contract: the text, run, runs that file (or hands that path to the program before it) and
// nothing else: no word of the path is read as a command, an operator, a redirection or a
// variable. Where the interpreter cannot quote a path safely the path is refused with a message
// saying why, never passed on half-quoted:
// - Linux: never refused; single quotes carry every byte (os/desktop_exec.h's shellQuote).
// - Windows: inside double quotes cmd.exe takes & | < > ^ ( ) , ; = @ and blanks as they are, but
//   not a double quote (it ends the quoting; no file name holds one), a control character (a
//   line break ends the command), nor a pair of '%' ("%NAME%" is expanded even inside quotes).
//   A single '%' stays as typed. '!' is taken as typed: delayed expansion is off in cmd.exe
//   unless the user turned it on for every command interpreter of the account.
//   A path that needs quotes, in a command's place, is written @"path": the line then starts
//   with no quote, so "cmd /c line" and "cmd /s /c "line"" both leave its quotes alone, and '@'
//   only keeps the command from being echoed.
#pragma once

#include <string>
#include <string_view>

namespace skimmer::os {

// The command line that runs `path` (or opens it as the system runs a document). False with
// `error` set when the interpreter cannot carry it.
bool commandLineToRun(std::string_view path, std::string& line, std::string& error);

// `path` as one argument after a program already on the command line. False with `error` set
// when the interpreter cannot carry it.
bool commandLineArgument(std::string_view path, std::string& word, std::string& error);

}  // namespace skimmer::os

// How the program's file type is named and opened: the values written at
// every start to associate sequence files with this program, as plain
// functions so that each rule can be checked on its own.
#pragma once

#include <optional>
#include <string>

namespace files {

// The file argument of the open command: one local file path ("%f" in a
// desktop entry, "%1" in the Windows registry).
constexpr const char* kOpenFileArgument = "%f";
constexpr const char* kWindowsOpenFileArgument = "\"%1\"";

// `text` with every space character (' ') removed.
std::string withoutSpaces(std::string text);

// The extension in the form the shell stores it: spaces removed, every "."
// removed, one "." in front ("tpx", ".t px" and "..tpx" all give ".tpx").
// Empty once its spaces are removed: nullopt. The emptiness test comes before
// the dots go, so an extension of dots only gives ".".
std::optional<std::string> normalisedExtension(const std::string& extension);

// The type name: the description without its spaces ("Quorvel File" gives
// "QuorvelFile"); nullopt when nothing is left.
std::optional<std::string> typeNameFor(const std::string& description);

// One argument of a desktop entry's Exec command line: left as it is when it
// holds none of the characters the command line reserves, otherwise wrapped
// in double quotes with ", `, $ and \ escaped by a backslash; "%" is doubled
// either way so that it is not read as a field code.
std::string quotedExecArgument(const std::string& argument);

// The command that opens one file with the program at `executablePath`, in
// the form of the system this program is built for (one of the two below).
// Built from the executable's own path, never from the process command line,
// so that neither arguments of this run nor spaces in the path end up in it.
std::optional<std::string> openCommandFor(const std::string& executablePath);

// Desktop-entry form: the program's full path (quoted where needed) followed
// by the file argument. nullopt for a path no Exec line can start: empty,
// relative, or holding "=" (which desktop entries do not allow in the
// program's name or path).
std::optional<std::string> desktopOpenCommandFor(const std::string& executablePath);

// Windows form: the program's full path with backslashes, in double quotes so
// that spaces in it survive, then a space and "%1" in quotes:
// "C:/Program Files/Quorvel/quorvel.exe" gives
// `"C:\Program Files\Quorvel\quorvel.exe" "%1"`. nullopt for a path that is
// neither on a drive ("C:/...", "C:\...") nor on a network share ("//server/...",
// "\\server\..."), or that holds a double quote.
std::optional<std::string> windowsOpenCommandFor(const std::string& executablePath);

// The icon value derived from an open command of the Windows form: every
// space followed by "%1" (with its quotes) replaced by ",0", so that
// `"C:\Tools\clicker.exe" "%1"` gives `"C:\Tools\clicker.exe",0`. A command
// without that argument is returned unchanged.
std::string iconValueFor(std::string openCommand);

} // namespace files

#pragma once
// The folder of the shared control bitmaps (combo box face, progress bar): the
// key "skin" of section "chattool" of config.ini in the current directory.

#include <string>

// The folder text, at most 63 characters; empty when the file, the section or
// the key is missing. The file is found under any letter case, so the suite's
// Config.ini answers to "config.ini" as it does on case-blind file systems.
std::string GlazeSkinFolder();

// folder + "/" + name, or empty when no folder is set (rather than a path at
// the root of the file system).
std::string GlazeSkinFile(const char* name);

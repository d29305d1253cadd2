#pragma once
// The picture of an allowed program on the child's desktop and taskbar: the
// icon of a launcher (.desktop entry) that runs that very program, else a
// drawn one in a colour of its own.

#include <QIcon>

#include <string>

QIcon AppIcon(const std::string& program, const std::string& name);

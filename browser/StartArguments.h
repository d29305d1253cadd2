#pragma once
// The addresses named on the browser's command line.

#include <QStringList>
#include <QUrl>
#include <vector>

// Each argument that is an address with a scheme, or a local file path (as a
// file manager passes it), in order. Switches ("-x", "--x") are dropped: the
// web engine would otherwise take them as its own options.
std::vector<QUrl> StartAddresses(const QStringList& arguments);

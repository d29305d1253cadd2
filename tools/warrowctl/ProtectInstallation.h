#pragma once

#include <string>
#include <vector>

// The ownership of a child-account installation: root owns the folder, the
// settings and the databases; the parents' group may change the settings and
// the databases; the child reads Config.ini and DataBase/ChildView.db and
// nothing else of DataBase/.
//   folder, DataBase/              root:<parents> 2775 (new files stay in the group)
//   Config.ini                     root:<parents> 0664
//   DataBase.db, Cache.db (+ -wal, -shm, -journal)  root:<parents> 0660
//   DataBase/ChildView.db          root:root 0644 (when present)
namespace protect {

struct Result {
    std::vector<std::string> changes; // one record each: "changed\tPATH\tNEW\twas OLD", "created-group\tNAME"
    std::string error;                // empty on success
};

// Applies the layout to `folder` (root only), creating the parents' group when
// missing. Nothing is changed when a file is missing, is not what it should be
// (a link, a device, a file with a second name) or the folder changes while it
// is being protected.
Result Apply(const std::string& folder);

// Prints the changes as records and the error on standard error; the tool's
// exit status (1 when not run as root, 2 for any other failure).
int Report(const Result& result);

} // namespace protect

// `warrowctl protect`: applies the layout to the installation folder again
// (repairs), nothing else.
int ProtectCommand(const std::vector<std::string>& arguments, const std::string& folder);

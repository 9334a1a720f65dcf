#pragma once

#include <QString>

namespace orbel {

// The user's folders under the XDG base-directory rules, read afresh from
// the environment on every call.
namespace XdgFolders {

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config when HOME
// is one; empty when there is neither. (QStandardPaths takes a relative
// XDG_CONFIG_HOME as it stands, and the root folder for an unset HOME.)
QString configHome();

// $XDG_RUNTIME_DIR when it is an absolute path naming a folder (not a link)
// of this user that no one else may enter; empty otherwise. Nothing is
// created or changed. (QStandardPaths would create a folder in the temporary
// folder instead, or change the permissions of this one.)
QString runtimeFolder();

} // namespace XdgFolders
} // namespace orbel

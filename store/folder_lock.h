// The one-instance lock on a data folder, held per process.
#pragma once

namespace quorvel::store {

// Drops this handle's share of a folder lock, if it took one.
void ReleaseFolderLock(int handle);

}  // namespace quorvel::store

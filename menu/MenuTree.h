// The menu tree: 260 nodes, constant in shape, with a writable copy for the run-time changes.
#pragma once

namespace kv410 {

// Makes eight menu nodes available or not according to cell 55.
void applyInstallationMask();

// Restores the writable tree from the constant table.
void resetMenuTree();

} // namespace kv410

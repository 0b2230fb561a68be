// PLACEHOLDER: replaced by the menu tree's owner.
#include "menu/MenuTree.h"

namespace kv410 {

void applyInstallationMask() {}
void resetMenuTree() {}

} // namespace kv410

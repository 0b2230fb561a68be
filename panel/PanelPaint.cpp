// PLACEHOLDER: replaced by the panel logic's owner.
#include "panel/PanelPaint.h"

namespace kv410 {

void paintRelayLamps() {}
void resetPanelState() {}

} // namespace kv410

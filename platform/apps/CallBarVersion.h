// The system version CallBar adapts its look to.
#pragma once

namespace callbar {

bool systemVersionAtLeast(double version);

}  // namespace callbar

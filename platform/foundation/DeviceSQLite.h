// Keeps SQLite's opens of the device's databases inside the device (see DeviceFiles.h).
#pragma once

namespace standin {

// Routes SQLite's opens, link reads and removals of this process through the device's opener.
// Takes effect once, for the whole process; setDeviceRoot calls it.
void confineSQLiteToDevice();

}  // namespace standin

// Private to the platform layer: the flag a quit signal raises, read by the message pump.
#pragma once

// True once after SIGINT or SIGTERM arrived (when catchQuitSignals is in force); clears the flag.
bool takeQuitSignal();

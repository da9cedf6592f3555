// The process-wide reference to the window.
#include "engine/main_window_record.h"

MainWindowRecord* mainWindow = nullptr;

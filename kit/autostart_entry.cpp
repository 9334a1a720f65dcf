#include "autostart_entry.h"

// Placeholder until the SDL2 window backend lands.
#include "platform.h"
const Platform platform_window = platform_none;

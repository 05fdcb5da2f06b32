#pragma once

// The images are compiled into the static core library; a static library's
// resources are not registered by themselves, so the program and every test
// that draws the form call this once at start.
void lumatrex_init_resources();

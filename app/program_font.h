#pragma once

// The main form's fixed widths (the settings rows' 60-pixel channel labels,
// say) were laid out for an 8-point dialog font. Where the platform's default
// font is larger, or its family sets letters wider than that dialog font, the
// program takes a font that sets text no wider, keeping the platform's
// family. Call once, right after the application object is made and before
// any window is built.
void apply_program_font();

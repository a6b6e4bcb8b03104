// What assistive technology sees of graphic controls: they have no widget, so
// the window that paints them lists them as its own accessible children.
#pragma once

// Makes Qt's accessibility ask us about windows that hold graphic controls
// and about the graphic controls themselves. Called once at start-up.
void installAccessibility();

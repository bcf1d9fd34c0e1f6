#pragma once

class QWidget;
struct OptSettings;

// Moves a window where the position settings say, before it is shown.
void placeWidget(QWidget *window, const OptSettings &settings);

// The one way a window is shown: placed by the rule (unless minimised or
// maximised), shown, raised and activated. fit: sized to its contents
// first, so the rule works from its real size. activate false: shown
// without taking the focus.
void showPlaced(QWidget *window, const OptSettings &settings, bool fit = true,
                bool activate = true);

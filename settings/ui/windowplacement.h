#pragma once

class QWidget;
struct OptSettings;

// Moves a window where the position settings say, before it is shown.
void placeWidget(QWidget *window, const OptSettings &settings);

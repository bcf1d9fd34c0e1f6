#pragma once

class QWidget;
struct OptSettings;

// Moves a window where the position settings say, before it is shown.
void placeWidget(QWidget *window, const OptSettings &settings);

// Sizes a window to its contents, places it by the rule and shows it in front.
void showPlaced(QWidget *window, const OptSettings &settings);

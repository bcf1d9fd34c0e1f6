#pragma once

#include "optsettings.h"

#include <QPointF>
#include <QSizeF>
#include <optional>

// Where a window opens, in twips, from the five position settings. Each
// "True" setting is applied in turn, so the last one wins; with none, the
// window keeps its place (no value).
std::optional<QPointF> placeWindow(const OptSettings &settings, QSizeF window, QSizeF screen);

#pragma once

#include <QIcon>

// The ten icon sets, each a normal picture and an arrival picture. They are
// drawn, not loaded, so they stay crisp at every size and scale.
namespace iconsets {

constexpr int Count = 10;

bool isValid(int set);
// An empty icon for a number outside 0 to 9.
QIcon normal(int set);
QIcon arrival(int set);

} // namespace iconsets

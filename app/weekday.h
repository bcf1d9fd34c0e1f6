#pragma once

#include <QDate>
#include <QString>

// One kanji for the day of the week, Sunday first: 日 月 火 水 木 金 土.
QString weekdayText(const QDate &date);

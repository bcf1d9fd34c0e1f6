#include "weekday.h"

QString weekdayText(const QDate &date)
{
    static const QString days = QStringLiteral("日月火水木金土");
    if (!date.isValid())
        return {};
    return days.at(date.dayOfWeek() % 7); // Qt counts Monday 1 .. Sunday 7
}

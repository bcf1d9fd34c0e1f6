// Any bytes as a history file read without harm, and the rows read are
// written back in a form that reads the same.
#include "addrows.h"
#include "clock.h"
#include "historyfile.h"
#include "historymodel.h"

#include <cstdint>
#include <cstdlib>

namespace {
struct NoClock final : Clock
{
    QDateTime now() const override { return {}; }
    qint64 elapsedMsecs() const override { return 0; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto first = historyfile::read(QByteArrayView(data, qsizetype(size)));
    if (!first.isHistory)
        return 0;
    NoClock clock;
    HistoryModel history(clock, [] { return QString(); });
    addRows(history, first.rows);
    const QByteArray written =
        historyfile::write(history, QDateTime(QDate(2026, 12, 8), QTime(9, 0)), QString());
    const auto second = historyfile::read(written);
    if (!second.isHistory || second.rows.size() != first.rows.size() ||
        historyfile::write(history, QDateTime(QDate(2026, 12, 8), QTime(9, 0)), QString()) !=
            written)
        std::abort();
    return 0;
}

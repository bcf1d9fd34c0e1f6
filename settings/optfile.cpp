#include "optfile.h"

#include "cp932.h"
#include "fieldtext.h"
#include "recordfile.h"

#include <variant>
#include <vector>

namespace optfile {
namespace {

// How a field stands in the file.
enum class Form {
    Text,       // "text"
    Number,     // 0, 1 (unquoted; a value that is not a number ends its record)
    Gate,       // as Number; 2, a grant older copies saved, reads as on
    QuotedFlag, // "1" / "0"
    TrueFalse,  // "True" / "False"
    Name,       // "name" padded to 20
};

struct Field
{
    int record;
    Form form;
    std::variant<QString OptSettings::*, bool OptSettings::*> member;
};

using Record = std::vector<Field>;

// The file, after its identification record: one record a line, each the
// options declared for it, in their order.
const std::vector<Record> &layout()
{
    static const std::vector<Record> records = [] {
        using S = OptSettings;
        using F = Form;
        const std::vector<Field> fields = {
#define PORTANA_OPTION_FIELD(type, name, fallback, record, form) {record, F::form, &S::name},
            PORTANA_SAVED_OPTIONS(PORTANA_OPTION_FIELD)
#undef PORTANA_OPTION_FIELD
        };
        std::vector<Record> out;
        for (const Field &f : fields) {
            if (out.size() < size_t(f.record))
                out.resize(size_t(f.record));
            out[size_t(f.record - 1)].push_back(f);
        }
        return out;
    }();
    return records;
}

QString written(const Field &f, const OptSettings &s)
{
    if (const auto *text = std::get_if<QString OptSettings::*>(&f.member)) {
        const QString &value = s.*(*text);
        return recordfile::quoted(f.form == Form::Name ? fieldtext::pad(value, fieldtext::NameWidth)
                                                       : value);
    }
    const bool on = s.*std::get<bool OptSettings::*>(f.member);
    switch (f.form) {
    case Form::QuotedFlag:
        return recordfile::quoted(on ? QStringLiteral("1") : QStringLiteral("0"));
    case Form::TrueFalse:
        return recordfile::quoted(on ? QStringLiteral("True") : QStringLiteral("False"));
    default:
        return on ? QStringLiteral("1") : QStringLiteral("0");
    }
}

// False when the value is not a number where one belongs.
bool take(const Field &f, const QString &value, OptSettings &s)
{
    if (const auto *text = std::get_if<QString OptSettings::*>(&f.member)) {
        s.*(*text) = value;
        return true;
    }
    bool &on = s.*std::get<bool OptSettings::*>(f.member);
    switch (f.form) {
    case Form::QuotedFlag:
        on = value == QLatin1String("1");
        return true;
    case Form::TrueFalse:
        on = isTrue(value);
        return true;
    default: {
        bool ok = false;
        const int n = value.toInt(&ok);
        if (ok)
            on = n == 1 || (f.form == Form::Gate && n == 2);
        return ok;
    }
    }
}

} // namespace

QByteArray serialise(const OptSettings &s)
{
    QStringList lines{recordfile::quoted(QStringLiteral("optGFile"))};
    for (const Record &record : layout()) {
        QStringList fields;
        for (const Field &f : record)
            fields << written(f, s);
        lines << fields.join(u',');
    }
    return recordfile::encodeLines(lines);
}

ParseResult parse(const QByteArray &bytes, OptSettings &s)
{
    recordfile::Reader reader(cp932::decode(bytes), recordfile::SettingsDialect);
    if (reader.next() != QLatin1String("optGFile"))
        return ParseResult::Foreign;
    if (!reader.lineEnded())
        reader.skipLine();
    // Only the eight records after the identification are read; more lines
    // are ignored.
    for (const Record &record : layout()) {
        for (const Field &f : record) {
            const auto value = reader.next();
            if (!value)
                break;
            if (!take(f, *value, s)) {
                // A value that is not a number: the rest of this record keeps
                // what it had, and reading goes on with the next line.
                if (!reader.lineEnded())
                    reader.skipLine();
                break;
            }
        }
    }
    s.optName = fieldtext::pad(s.optName, fieldtext::NameWidth);
    return ParseResult::Read;
}

} // namespace optfile

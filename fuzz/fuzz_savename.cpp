// The save dialog's name rule, and the filter lists the dialogs are given.

#include "fuzzcheck.h"
#include "history/dialogrules.h"

using namespace orbelune;

namespace {

bool endsInTxt(const QString &name)
{
    if (name.size() < 3)
        return false;
    const auto is = [&name](qsizetype fromEnd, char16_t lower) {
        const char16_t c = name.at(name.size() - fromEnd).unicode();
        return c == lower || c == lower - (u'a' - u'A');
    };
    return is(3, u't') && is(2, u'x') && is(1, u't');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString name = fuzz::anyText(data, size);

    const QString saved = withTxtEnding(name);
    if (name.isEmpty()) {
        FUZZ_CHECK(saved.isEmpty());
    } else {
        FUZZ_CHECK(saved == (endsInTxt(name) ? name : name + QStringLiteral(".txt")));
        FUZZ_CHECK(endsInTxt(saved));
        FUZZ_CHECK(withTxtEnding(saved) == saved);
    }

    // The same text as a filter list: each pair of a description and its patterns becomes
    // one filter "description (patterns)", and no NUL is left in any of them.
    const QStringList filters = qtNameFilters(name);
    QStringList parts = name.split(QChar(u'\0'));
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    FUZZ_CHECK(filters.size() == (parts.size() + 1) / 2);
    for (const QString &filter : filters) {
        FUZZ_CHECK(!filter.contains(QChar(u'\0')));
        FUZZ_CHECK(filter.endsWith(u')') && filter.contains(QLatin1String(" (")));
    }

    // The open dialog's list, whatever the pattern (a NUL would end it early): the caller's
    // pair, then every file.
    if (!name.contains(QChar(u'\0'))) {
        const QStringList open = qtNameFilters(openDialogFilterList(name));
        FUZZ_CHECK(open.size() == 2);
        FUZZ_CHECK(open.at(1) == QStringLiteral("所有文件(*.*) (*)"));
    }
    return 0;
}

#include "tests/phonebook/store_fuzz_entries.h"

#include "blocklist/block_list.h"
#include "blocklist/call_screening.h"
#include "core/strings.h"
#include "phonebook/phone_book_csv.h"
#include "phonebook/phone_book_file.h"
#include "phonebook/phone_book_lists.h"
#include "phonebook/phone_book_table.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace qlnrec::test {

namespace {

QByteArray bytesOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

void writeInto(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(bytes);
    }
}

} // namespace

int fuzzPhoneBookFileOnce(const std::uint8_t* data, std::size_t size)
{
    QTemporaryDir dir;
    writeInto(dir.path() + QStringLiteral("/PhoneBook.txt"), bytesOf(data, size));
    const phonebook::PhoneBookRecordCodec codec(size % 2 ? QByteArrayLiteral("GB18030")
                                                         : QByteArrayLiteral("windows-1252"));
    const phonebook::PhoneBookFile file(dir.path(), codec);
    phonebook::PhoneBookTable table;
    table.load(file);
    phonebook::PhoneBookLists lists(file);
    lists.load();
    // Once written by us, a phone book reads back as the same entries.
    lists.save();
    lists.load();
    const std::vector<phonebook::PhoneBookEntry> written = lists.entries();
    lists.save();
    lists.load();
    if (lists.entries() != written) {
        std::abort();
    }
    (void)table.nameFor(QStringLiteral("5551234"));
    return 0;
}

int fuzzPhoneBookCsvOnce(const std::uint8_t* data, std::size_t size)
{
    const std::vector<phonebook::PhoneBookEntry> entries =
        phonebook::parseCsv(bytesOf(data, size), "GB18030");
    // Exported entries import again as the same entries.
    if (phonebook::parseCsv(phonebook::toCsv(entries), "GB18030") != entries) {
        std::abort();
    }
    return 0;
}

int fuzzBlockListFileOnce(const std::uint8_t* data, std::size_t size)
{
    QTemporaryDir dir;
    writeInto(dir.path() + QStringLiteral("/public.tel"), bytesOf(data, size));
    blocklist::BlockList list(dir.path());
    list.load();
    if (list.entry(list.count()) != 0 || list.count() > blocklist::BlockList::kMaxNumbers) {
        std::abort();
    }
    for (int i = 0; i < list.count() && i < 8; ++i) {
        (void)list.contains(blocklist::BlockList::entryText(list.entry(i)));
    }
    list.append(12345);
    return 0;
}

int fuzzScreeningRulesOnce(const std::uint8_t* data, std::size_t size)
{
    QTemporaryDir dir;
    const QByteArray bytes = bytesOf(data, size);
    blocklist::ScreeningRules rules(dir.path());
    rules.parse(bytes);
    // Every rule kept is a rule that could be saved, and the file as kept reads back the same.
    for (const blocklist::ScreeningRule& rule : rules.rules()) {
        if (blocklist::ScreeningRules::problemOf(rule).has_value()) {
            std::abort();
        }
    }
    blocklist::ScreeningRules again(dir.path());
    again.parse(rules.fileBytes());
    if (again.rules() != rules.rules() || again.errors().size() != rules.errors().size()) {
        std::abort();
    }
    // The input as numbers to decide, and as a CSV import behind what the rules file held.
    for (const QByteArray& line : bytes.split('\n').mid(0, 8)) {
        const blocklist::ScreeningDecision decision = rules.decide(QString::fromUtf8(line));
        if (decision.rule >= static_cast<int>(rules.rules().size())) {
            std::abort();
        }
    }
    blocklist::BlockList list(dir.path());
    list.load();
    (void)blocklist::importScreeningCsv(bytes, list, rules, core::Strings());
    (void)blocklist::CallScreening(list, rules).screen(QStringLiteral("9005550100"));
    return 0;
}

} // namespace qlnrec::test

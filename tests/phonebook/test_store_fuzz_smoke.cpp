// The fuzz entries over random bytes and over mutations of well-formed files: nothing may crash,
// and what the program writes reads back the same.
#include "tests/phonebook/store_fuzz_entries.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Entry = std::function<int(const std::uint8_t*, std::size_t)>;

void runOver(const Entry& entry, const QByteArray& seed, int rounds)
{
    QRandomGenerator rng(7);
    const auto feed = [&](const QByteArray& bytes) {
        entry(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
              static_cast<std::size_t>(bytes.size()));
    };
    for (int round = 0; round < rounds; ++round) {
        QByteArray random(static_cast<qsizetype>(rng.bounded(700)), '\0');
        for (char& c : random) {
            c = static_cast<char>(rng.bounded(256));
        }
        feed(random);
        QByteArray mutated = seed;
        for (int edit = 0; edit < 1 + static_cast<int>(rng.bounded(8)) && !mutated.isEmpty(); ++edit) {
            mutated[static_cast<qsizetype>(rng.bounded(static_cast<quint32>(mutated.size())))] =
                static_cast<char>(rng.bounded(256));
        }
        feed(mutated);
    }
}

QByteArray phoneBookSeed()
{
    QByteArray record =
        QByteArray("Anna Smith").leftJustified(30, ' ') + QByteArray("555-1234").leftJustified(20, ' ');
    record = record.leftJustified(128, '\0');
    QByteArray chinese =
        QByteArray("\xd5\xc5\xc8\xfd").leftJustified(30, ' ') + QByteArray("010 1234").leftJustified(20, ' ');
    return record + chinese.leftJustified(128, '\0') + record;
}

} // namespace

TEST(StoreFuzzSmoke, PhoneBookFile)
{
    runOver(qlnrec::test::fuzzPhoneBookFileOnce, phoneBookSeed(), 150);
}

TEST(StoreFuzzSmoke, PhoneBookCsv)
{
    runOver(qlnrec::test::fuzzPhoneBookCsvOnce,
            QByteArray("Anna,555\r\n\"Smith, John\",\"12\"\"3\",x\r\nno comma\r\n\xd5\xc5,1\n"), 1000);
}

TEST(StoreFuzzSmoke, BlockListFile)
{
    const double values[] = {5551234.0, -18005550100.0, 0.0, 42.0};
    runOver(qlnrec::test::fuzzBlockListFileOnce,
            QByteArray(reinterpret_cast<const char*>(values), sizeof values), 300);
}

TEST(StoreFuzzSmoke, ScreeningRules)
{
    runOver(
        qlnrec::test::fuzzScreeningRulesOnce,
        QByteArray(
            "# rules\r\nblock 900* Premium\r\nallow 555-01?? \xe5\xbc\xa0\r\nblock /1(800|888)[0-9]{7}/\r\n"
            "blok 1\r\nblock,5551234,x\r\nnumber,555 0100,\r\nallow *1*2*3*4*5*6*7*8*9*0*\r\n"),
        300);
}

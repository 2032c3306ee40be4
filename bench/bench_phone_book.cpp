// Loading a full phone book (the dial window's 10000 entries and the start-up table), loading a
// full block list, and one caller looked up against each when it is on neither.
#include "blocklist/block_list.h"
#include "phonebook/phone_book_file.h"
#include "phonebook/phone_book_lists.h"
#include "phonebook/phone_book_table.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace qlnrec;

struct FullPhoneBook {
    QTemporaryDir dir;
    phonebook::PhoneBookRecordCodec codec;
    phonebook::PhoneBookFile file{dir.path(), codec};
    FullPhoneBook()
    {
        std::vector<phonebook::PhoneBookEntry> entries;
        for (int i = 0; i < phonebook::PhoneBookLists::kMaxEntries; ++i) {
            entries.push_back(
                phonebook::makeEntry(QStringLiteral("Name %1").arg(i), QString::number(5550000 + i)));
        }
        file.rewrite(entries);
    }
};

struct FullBlockList {
    QTemporaryDir dir;
    blocklist::BlockList list{dir.path()};
    FullBlockList()
    {
        QStringList lines;
        for (int i = 0; i < blocklist::BlockList::kMaxNumbers; ++i) {
            lines << QString::number(i % 2 ? 18005550000LL + i : -(18005550000LL + i));
        }
        list.rewrite(lines);
    }
};

void BM_LoadPhoneBookLists(benchmark::State& state)
{
    FullPhoneBook book;
    phonebook::PhoneBookLists lists(book.file);
    for (auto _ : state) {
        lists.load();
        benchmark::DoNotOptimize(lists.count());
    }
}
BENCHMARK(BM_LoadPhoneBookLists)->Unit(benchmark::kMillisecond);

void BM_PhoneBookLookupMiss(benchmark::State& state)
{
    FullPhoneBook book;
    phonebook::PhoneBookTable table;
    table.load(book.file);
    const QString caller = QStringLiteral("9999999");
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.nameFor(caller));
    }
}
BENCHMARK(BM_PhoneBookLookupMiss)->Unit(benchmark::kMicrosecond);

void BM_LoadBlockList(benchmark::State& state)
{
    FullBlockList block;
    for (auto _ : state) {
        block.list.load();
        benchmark::DoNotOptimize(block.list.count());
    }
}
BENCHMARK(BM_LoadBlockList)->Unit(benchmark::kMillisecond);

void BM_BlockListLookupMiss(benchmark::State& state)
{
    FullBlockList block;
    const QString caller = QStringLiteral("5551234");
    for (auto _ : state) {
        benchmark::DoNotOptimize(block.list.contains(caller));
    }
}
BENCHMARK(BM_BlockListLookupMiss)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

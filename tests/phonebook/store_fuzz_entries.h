#pragma once
// Fuzz entries for the files the phone book and block list read from outside: PhoneBook.txt,
// CSV imports, public.tel and the screening rules (screening.txt and their CSV form). Each returns 0; a fault
// shows as a crash or a sanitizer report.
#include <cstddef>
#include <cstdint>

namespace qlnrec::test {

int fuzzPhoneBookFileOnce(const std::uint8_t* data, std::size_t size);
int fuzzPhoneBookCsvOnce(const std::uint8_t* data, std::size_t size);
int fuzzBlockListFileOnce(const std::uint8_t* data, std::size_t size);
int fuzzScreeningRulesOnce(const std::uint8_t* data, std::size_t size);

} // namespace qlnrec::test

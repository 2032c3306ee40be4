#pragma once
// The dial window's behaviour in a running program, as the whole-call tests of dialling use it.
#include "tests/e2e/program_rig.h"

#include "phonebook/dialer.h"

#include <utility>
#include <vector>

namespace qlnrec::test {

// The dial window loaded as the user opens it, with these phone book entries (name, number)
// added behind what the file holds.
inline phonebook::Dialer& loadDialer(ProgramRig& rig,
                                     const std::vector<std::pair<QString, QString>>& entries = {})
{
    rig.program->loadDialWindow();
    phonebook::Dialer& dialer = rig.program->dialer();
    for (const auto& [name, number] : entries) {
        dialer.lists().append(phonebook::makeEntry(name, number));
    }
    dialer.listsChanged();
    return dialer;
}

} // namespace qlnrec::test

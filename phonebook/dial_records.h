#pragma once
// The last ten numbers dialled ("Made") and the last ten caller numbers received ("Received"),
// kept in the settings store under the keys " 1" .. " 10": slot 1 the oldest, no gaps,
// duplicates allowed.
#include "core/settings_table.h"

#include <QString>
#include <QStringList>

namespace qlnrec::core {
class ConfigStore;
}

namespace qlnrec::phonebook {

class DialRecords {
public:
    static constexpr int kSlots = 10;

    explicit DialRecords(core::ConfigStore& config) : config_(config) {}

    // RecordCallMade / PushReceivedNumber: the number into the first empty slot; when all ten
    // are filled the oldest goes and the rest move down.
    void recordCallMade(const QString& number) { push(core::ListSection::Made, number); }
    void pushReceivedNumber(const QString& number) { push(core::ListSection::Received, number); }

    // The filled slots, oldest first.
    QStringList numbers(core::ListSection list) const;

private:
    void push(core::ListSection list, const QString& number);
    core::ConfigStore& config_;
};

} // namespace qlnrec::phonebook

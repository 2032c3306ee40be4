#pragma once
// The journal of a setup save with every switch changed, in the order the save writes it: the
// model's test and the window's test make the same save, one through fields, one through clicks.
#include <QString>
#include <QStringList>

namespace qlnrec::test {

inline QStringList fullSaveJournal(const QString& recordingsFolder)
{
    return QStringList{
        QStringLiteral("Config@Line0@1"),
        QStringLiteral("Config@Line1@0"),
        QStringLiteral("Config@Line2@0"),
        QStringLiteral("Config@Line3@0"),
        QStringLiteral("Config@SaveFile@") + recordingsFolder,
        QStringLiteral("Config@Rings@4"),
        QStringLiteral("Config@Language@1"),
        QStringLiteral("Config@WaveFileFormat@1"),
        QStringLiteral("Modem@Line0@Simulated Voice Modem 1  [28]"),
        QStringLiteral("Modem@Line1@Simulated Voice Modem 2  [28]"),
        QStringLiteral("Modem@Line2@Not Detected Voice Modem Line"),
        QStringLiteral("Modem@Line3@Not Detected Voice Modem Line"),
        QStringLiteral("Config@PopCallID@1"),
        QStringLiteral("Config@MinOnStart@0"),
        QStringLiteral("Config@ActionMan@0"),
        QStringLiteral("Config@AutoStart@1"),
        QStringLiteral("Config@Silence@1"),
        QStringLiteral("Config@SilenceLevel@250"),
        QStringLiteral("Config@SilenceD@7"),
        QStringLiteral("Config@FBS@1"),
        QStringLiteral("Config@Country@2"),
        QStringLiteral("Config@BlockUnknown@1"),
    };
}

} // namespace qlnrec::test

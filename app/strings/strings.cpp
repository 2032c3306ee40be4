#include "app/strings/strings.h"

namespace qlnrec::app {

Strings::Strings(int languageOffset)
    : offset_(languageOffset == kSimplifiedChinese || languageOffset == kTraditionalChinese ? languageOffset
                                                                                            : kEnglish)
{
}

QString Strings::loadText(int baseId) const
{
    return resource(offset_ + baseId);
}

int Strings::offsetForLanguageSetting(const QString&)
{
    return kEnglish;
}

QString Strings::resource(int)
{
    return {};
}

QString Strings::helpDocumentName() const
{
    return QStringLiteral("helpen.chm");
}

QString Strings::helpDocumentPath(const QString& programFolder) const
{
    return programFolder + QLatin1Char('/') + helpDocumentName();
}

} // namespace qlnrec::app

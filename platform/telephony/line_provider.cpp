#include "platform/telephony/line_provider.h"

#include "platform/telephony/sim/sim_provider.h"

#include <QRegularExpression>

namespace qlnrec::platform {

LineProviderRegistry& LineProviderRegistry::instance()
{
    static LineProviderRegistry registry = [] {
        LineProviderRegistry r;
        r.add(QStringLiteral("sim"),
              [](const QString& argument, const LineProviderContext& context,
                 QString* error) -> std::unique_ptr<LineProvider> {
                  const auto count = SimProvider::parseLineCount(argument, error);
                  if (!count) {
                      return nullptr;
                  }
                  return std::make_unique<SimProvider>(context, *count);
              });
        return r;
    }();
    return registry;
}

void LineProviderRegistry::add(const QString& name, LineProviderFactory factory)
{
    factories_[name.toLower()] = std::move(factory);
}

bool LineProviderRegistry::contains(const QString& name) const
{
    return factories_.count(name.toLower()) != 0;
}

QStringList LineProviderRegistry::names() const
{
    QStringList list;
    for (const auto& [name, factory] : factories_) {
        list << name;
    }
    return list;
}

std::unique_ptr<LineProvider> LineProviderRegistry::create(const QString& name, const QString& argument,
                                                           const LineProviderContext& context,
                                                           QString* error) const
{
    auto it = factories_.find(name.toLower());
    if (it == factories_.end()) {
        if (error) {
            *error =
                QStringLiteral("unknown line provider \"%1\" (known: %2)").arg(name, names().join(u", "));
        }
        return nullptr;
    }
    QString detail;
    auto provider = it->second(argument, context, &detail);
    if (!provider && error) {
        *error = QStringLiteral("%1: %2").arg(name, detail.isEmpty() ? QStringLiteral("cannot create lines")
                                                                     : detail);
    }
    return provider;
}

std::vector<std::pair<QString, QString>> LineProviderRegistry::split(const QString& linesList) const
{
    std::vector<std::pair<QString, QString>> items;
    static const QRegularExpression head(QStringLiteral("^\\s*([A-Za-z][A-Za-z0-9_-]*)\\s*(?::(.*))?$"));
    for (const QString& part : linesList.split(QLatin1Char(','))) {
        const auto match = head.match(part);
        if (match.hasMatch() && contains(match.captured(1))) {
            items.emplace_back(match.captured(1).toLower(), match.captured(2).trimmed());
        } else if (!items.empty()) {
            // Not a provider name: part of the previous item's argument.
            items.back().second += QLatin1Char(',') + part.trimmed();
        } else {
            items.emplace_back(part.trimmed(), QString());
        }
    }
    return items;
}

std::vector<std::unique_ptr<LineProvider>>
LineProviderRegistry::createAll(const QString& linesList, const LineProviderContext& context, QString* error) const
{
    std::vector<std::unique_ptr<LineProvider>> providers;
    if (linesList.trimmed().isEmpty()) {
        if (error) {
            *error = QStringLiteral("no line providers given");
        }
        return providers;
    }
    for (const auto& [name, argument] : split(linesList)) {
        auto provider = create(name, argument, context, error);
        if (!provider) {
            providers.clear();
            return providers;
        }
        providers.push_back(std::move(provider));
    }
    return providers;
}

} // namespace qlnrec::platform

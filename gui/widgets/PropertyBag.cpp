#include "gui/widgets/PropertyBag.h"

#include <algorithm>

namespace {

QString keyOf(const QString& name)
{
    return name.toLower();
}

} // namespace

QVariant PropertyBag::ReadProperty(const QString& name, const QVariant& defaultValue) const
{
    const auto it = m_values.constFind(keyOf(name));
    return it == m_values.constEnd() ? defaultValue : it.value();
}

void PropertyBag::WriteProperty(const QString& name, const QVariant& value,
                                const QVariant& writeDefault)
{
    if (writeDefault.isValid() && value == writeDefault) {
        m_values.remove(keyOf(name));
        return;
    }
    m_values.insert(keyOf(name), value);
}

bool PropertyBag::contains(const QString& name) const
{
    return m_values.contains(keyOf(name));
}

void PropertyBag::remove(const QString& name)
{
    m_values.remove(keyOf(name));
}

QStringList PropertyBag::keys() const
{
    QStringList result = m_values.keys();
    std::sort(result.begin(), result.end());
    return result;
}
